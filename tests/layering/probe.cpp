// Compiled by the layering test with QUELT_PROBE_HEADER set to one header, in
// the place of a file of the library it is linked to.
#include QUELT_PROBE_HEADER
