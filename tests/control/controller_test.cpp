// The window's behaviour without a window: the controller against the
// simulated analyser on a pseudo-terminal, its face a recorder that answers
// the boxes and file dialogs. Both windows draw exactly this.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>

#include "fuel/backup.h"
#include "fuel/status_text.h"
#include "lang/tr.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Answer;
using control::Buttons;
using control::Command;
using control::Control;
using control::MessageKind;

class Controller : public ControllerFixture {};

TEST_F(Controller, EveryBoxHasTheKindsTitlePictureAndSafeDefault) {
  Start();
  window.Do(Command::Refresh);
  face.answers = {Answer::Cancel};
  window.Do(Command::Delete);
  Change();
  face.answers = {Answer::Cancel};
  window.Do(Command::Refresh);
  sim::Faults faults;
  faults.silentOnPrefix = "W4012";
  analyser->SetFaults(faults);
  window.Do(Command::Send);  // Timeout
  analyser->SetFaults({});
  Table().Clear();
  window.Do(Command::Send);  // the empty table's question: Enter says No
  faults.silentOnPrefix = "R40102";
  analyser->SetFaults(faults);
  face.answers = {Answer::Discard};
  window.Do(Command::Refresh);  // Transfer error
  EXPECT_FALSE(window.LoadTable(WriteFile("bad.txt", "1;x\n")));
  window.Do(Command::About);

  struct Seen {
    MessageKind kind;
    Buttons buttons;
    Answer defaultAnswer, escapeAnswer;
    std::string start;
  };
  const std::vector<Seen> expected = {
      {MessageKind::Question, Buttons::OkCancel, Answer::Cancel, Answer::Cancel, "Delete row "},
      {MessageKind::Question, Buttons::SaveDiscardCancel, Answer::Save, Answer::Cancel,
       "The table"},
      // A write that stopped offers the backup made before it.
      {MessageKind::Question, Buttons::RestoreSaveTraceClose, Answer::Close, Answer::Close,
       kTimeout},
      {MessageKind::Question, Buttons::YesNo, Answer::No, Answer::No, kEmptyTableQuestion},
      {MessageKind::Question, Buttons::SaveDiscardCancel, Answer::Save, Answer::Cancel,
       "The table"},
      // A failure on the line, and About, offer the session's trace.
      {MessageKind::Error, Buttons::SaveTraceOk, Answer::Ok, Answer::Ok, kTransferError},
      {MessageKind::Warning, Buttons::Ok, Answer::Ok, Answer::Ok, "Not loaded: bad.txt"},
      {MessageKind::Information, Buttons::SaveTraceOk, Answer::Ok, Answer::Ok, "quelt-fuel"},
  };
  ASSERT_EQ(face.boxes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const control::Message& m = face.boxes[i];
    EXPECT_EQ(m.title, kProgramName) << i;
    EXPECT_EQ(m.kind, expected[i].kind) << i;
    EXPECT_EQ(m.buttons, expected[i].buttons) << i;
    EXPECT_EQ(m.defaultAnswer, expected[i].defaultAnswer) << i;
    EXPECT_EQ(m.escapeAnswer, expected[i].escapeAnswer) << i;
    EXPECT_EQ(m.text.rfind(expected[i].start, 0), 0u) << i << ": " << m.text;
  }
  EXPECT_EQ(Table().RowCount(), 0) << "the empty table was not sent, the read failed";

  // A send whose read-back differs (the analyser answers the count's write
  // and keeps its own) says so in a box and names the difference in the log.
  sim::Config keepsItsCount;
  keepsItsCount.rows = RowsWithIds({101, 102, 103});
  keepsItsCount.countReply = "3;";
  Start(keepsItsCount);
  face.answers = {Answer::Discard};
  window.Do(Command::Refresh);
  face.boxes.clear();
  face.answers.clear();
  window.Do(Command::Send);
  ASSERT_EQ(face.boxes.size(), 1u);
  EXPECT_EQ(face.boxes[0].text.rfind("The table read back differs from the table sent (1 "
                                     "difference, first: Count: sent 4, the analyser reported 3).",
                                     0),
            0u)
      << face.boxes[0].text;
  EXPECT_NE(std::find(face.log.begin(), face.log.end(), "Count: sent 4, the analyser reported 3"),
            face.log.end());
  EXPECT_EQ(face.progress, 0);
}

// In German every critical situation is told in German, and a text that
// names a button names it as the German window does ("Lesen", "Einspielen").
TEST_F(Controller, CriticalTextsAreInTheWindowsLanguage) {
  const auto silentOn = [this](std::string prefix) {
    sim::Faults faults;
    faults.silentOnPrefix = std::move(prefix);
    analyser->SetFaults(faults);
  };
  struct Case {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> says;  // in the log or a box
  };
  const std::vector<Case> cases = {
      {"no analyser found",
       [&] {
         link.SetPortOverride({});
         link.SetDiscovery([] { return FoundPort{}; });
         window.Do(Command::Refresh);
       },
       {"Kommunikationsfehler !",
        "Kein Gerät gefunden: die USB-Brücke des QUELT ist nicht angeschlossen."}},
      {"port cannot be opened",
       [&] {
         link.SetPortOverride("/nonexistent/quelt-tty");
         window.Do(Command::Refresh);
       },
       {"/nonexistent/quelt-tty lässt sich nicht öffnen"}},
      {"port went away",
       [&] {
         sim::Faults faults;
         faults.hangUpOn = 3;
         analyser->SetFaults(faults);
         window.Do(Command::Refresh);
       },
       {"Kommunikationsfehler !", "ist weg", "das Kabel wurde gezogen"}},
      {"send stopped part-way",
       [&] {
         window.Do(Command::Refresh);
         Change();
         silentOn("W4012");
         window.Do(Command::Send);
       },
       {"Zeitüberschreitung\n\nZeile 1 von 3 wurde geschrieben, Zeile 2 wurde vielleicht "
        "geschrieben; die Anzahl wurde nicht geändert.",
        ": erneut senden oder sie einspielen.", "Die vorige Tabelle jetzt aus"}},
      {"backup failed",
       [&] {
         window.Do(Command::Refresh);
         Change();
         silentOn("R402");
         window.Do(Command::Send);
       },
       {"das Gerät antwortete nicht, während seine Tabelle für die Sicherung gelesen wurde.\n"
        "Es wurde nichts gesendet."}},
      {"written, not read back",
       [&] {
         window.Do(Command::Refresh);
         Change();
         const std::size_t before = analyser->Transcript().size();
         window.Do(Command::Send);
         const std::size_t after = analyser->Transcript().size();
         Change();
         // The second send asks the same; its read-back of the three rows gets no reply.
         sim::Faults faults;
         faults.silentFrom = static_cast<int>(after + (after - before) - 2);
         analyser->SetFaults(faults);
         window.Do(Command::Send);
       },
       {"beim Zurücklesen: Lesen drücken, um zu sehen, was es enthält."}},
      {"delete names the row",
       [&] {
         window.Do(Command::Refresh);
         Table().MoveTo(0);
         face.answers = {Answer::Cancel};
         window.Do(Command::Delete);
       },
       {"Zeile 1 (Fuel 101) löschen?"}},
  };
  ASSERT_TRUE(lang::SetLanguage("de"));
  for (const Case& c : cases) {
    Start();
    face.log.clear();
    face.boxes.clear();
    c.act();
    std::string shown;
    for (const std::string& line : face.log) shown += line + "\n";
    for (const control::Message& m : face.boxes) shown += m.text + "\n";
    for (const std::string& s : c.says) {
      EXPECT_NE(shown.find(s), std::string::npos) << c.what << ": " << s << "\n" << shown;
    }
  }
  lang::SetLanguage("en");
}

// The operations' lines once went through Windows-1252 and fell back to
// English wherever a translation held a letter it lacks.
TEST_F(Controller, TheOperationsLinesSpeakLanguagesBeyondWindows1252) {
  const struct {
    const char* lang;
    const char* line;
  } cases[] = {{"cs", "Načteno řádků: 3"}, {"ru", "Считано строк: 3"}, {"ko", "3개 행 읽음"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(lang::SetLanguage(c.lang));
    Start();
    window.Do(Command::Refresh);
    std::string shown;
    for (const std::string& line : face.log) shown += line + "\n";
    EXPECT_NE(shown.find(c.line), std::string::npos) << c.lang << "\n" << shown;
  }
  lang::SetLanguage("en");
}

TEST_F(Controller, DeleteOnlyWhenTheUserSaysOk) {
  Start();
  window.Do(Command::Refresh);
  struct Case {
    std::vector<Answer> answers;  // none: Enter, the default
    int rowsAfter;
  } cases[] = {{{}, 3}, {{Answer::Cancel}, 3}, {{Answer::Ok}, 2}};
  for (const Case& c : cases) {
    face.answers.assign(c.answers.begin(), c.answers.end());
    window.Do(Command::Delete);
    EXPECT_EQ(Table().RowCount(), c.rowsAfter);
  }
}

TEST_F(Controller, UnsentChangesAskBeforeTheyAreDropped) {
  struct Case {
    const char* what;
    Answer answer;
    bool withFile;  // Save: a file is chosen
    bool goesOn;    // the refresh runs
  } cases[] = {
      {"cancel", Answer::Cancel, false, false},
      {"discard", Answer::Discard, false, true},
      {"save", Answer::Save, true, true},
      {"save, file dialog cancelled", Answer::Save, false, false},
  };
  for (const Case& c : cases) {
    Start();
    face.answers = {Answer::Discard};
    window.Do(Command::Refresh);
    Change();
    analyser->ClearTranscript();
    face.boxes.clear();
    face.answers = {c.answer};
    const auto file = TestDir() / (std::string(c.what) + ".txt");
    if (c.withFile) face.files = {file};
    window.Do(Command::Refresh);
    ASSERT_EQ(face.boxes.size(), 1u) << c.what;
    EXPECT_EQ(face.boxes[0].text, kUnsentQuestion);
    EXPECT_EQ(!analyser->Transcript().empty(), c.goesOn) << c.what;
    EXPECT_EQ(std::filesystem::exists(file), c.withFile) << c.what;
  }
  // Closing asks the same; a table saved or sent closes without a question.
  face.answers = {Answer::Ok};
  window.Do(Command::Delete);
  ASSERT_TRUE(window.Unsent());
  face.boxes.clear();
  face.answers = {Answer::Cancel};
  EXPECT_FALSE(window.CloseRequested());
  face.answers = {Answer::Discard};
  EXPECT_TRUE(window.CloseRequested());
  window.Do(Command::Send);
  face.boxes.clear();
  EXPECT_TRUE(window.CloseRequested());
  EXPECT_TRUE(face.boxes.empty());
}

TEST_F(Controller, CaptionStatusAndLogSayWhatHappened) {
  Start();
  window.Do(Command::Refresh);
  EXPECT_EQ(face.log.back(), "Read 3 rows");
  EXPECT_EQ(face.caption, "QUELT fuel list update");
  EXPECT_EQ(face.progress, kProgressFullScale);
  Change();
  EXPECT_EQ(face.caption, "QUELT fuel list update - changes not sent");
  window.Do(Command::Send);
  EXPECT_EQ(face.log.back(), "Sent 3 rows, the analyser uses 3");
  EXPECT_EQ(face.caption, "QUELT fuel list update");
  EXPECT_EQ(face.status, StatusText(window.Status()));
  EXPECT_EQ(face.backupLine, BackupText(window.LastBackup()));
  EXPECT_EQ(face.backupTip, window.LastBackup() + "\nClick to open its folder");
  window.Do(Command::OpenBackupFolder);
  ASSERT_EQ(face.opened.size(), 1u);
  EXPECT_EQ(face.opened[0], std::filesystem::path(window.LastBackup()).parent_path());

  const auto file = TestDir() / "caption.txt";
  face.files = {file};
  window.Do(Command::Save);
  EXPECT_EQ(face.log.back(), "Saved 3 rows to " + PathText(file));
  const std::vector<FuelRow> saved = Table().Rows();
  Table().Clear();
  face.files = {file};
  face.answers = {Answer::Discard};
  window.Do(Command::Open);
  EXPECT_EQ(Table().Rows(), saved);
  EXPECT_EQ(face.log.back(), "Loaded 3 rows from " + PathText(file) + ": not sent yet");
  EXPECT_EQ(face.caption, "QUELT fuel list update - changes not sent");
  // Save, then Load: the second dialog opens in the folder the first chose.
  ASSERT_EQ(face.fileDialogs.size(), 2u);
  EXPECT_TRUE(face.fileDialogs[0].save);
  EXPECT_FALSE(face.fileDialogs[1].save);
  EXPECT_EQ(face.fileDialogs[1].folder, file.parent_path());

  // The analyser goes away: the port stays named, its identity is gone.
  const std::string device = analyser->DevicePath();
  link.Disconnect();
  analyser.reset();
  face.answers = {Answer::Discard};
  window.Do(Command::Refresh);
  EXPECT_EQ(face.status, "Port: " + device + "   3 rows, 3 used");
}

TEST_F(Controller, AFaultyFileLeavesTheTable) {
  Start();
  window.Do(Command::Refresh);
  const std::vector<FuelRow> before = Table().Rows();
  const std::string path = WriteFile("faulty.txt",
                                     "1;101;Gas;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;\n"
                                     "2;102;Oil;12,1;0,64;0,009;3,0;7,70;9,40;31,68;99999;\n");
  EXPECT_FALSE(window.LoadTable(path));
  EXPECT_EQ(face.boxes.back().text,
            "Not loaded: faulty.txt, line 2: Soot 99999 is outside -32768..32767. The table is "
            "as it was.");
  EXPECT_EQ(Table().Rows(), before);
  EXPECT_FALSE(window.Unsent());
}

TEST_F(Controller, F1OpensTheUserGuideOfTheWindowsLanguage) {
  // Guides present beside the program (bin/) or in an installation's doc
  // folder (share/doc/quelt-fuel/), the language, what F1 opens ("" for the
  // warning that the guide is not installed).
  struct Case {
    std::vector<std::string> present;
    std::string language, opened;
  } cases[] = {
      {{"bin/USER-GUIDE.txt", "bin/USER-GUIDE.de.txt"}, "de", "bin/USER-GUIDE.de.txt"},
      {{"bin/USER-GUIDE.txt", "bin/USER-GUIDE.de.txt"}, "en", "bin/USER-GUIDE.txt"},
      {{"bin/USER-GUIDE.txt"}, "de", "bin/USER-GUIDE.txt"},
      {{"share/doc/quelt-fuel/USER-GUIDE.md", "share/doc/quelt-fuel/USER-GUIDE.de.md"},
       "de",
       "share/doc/quelt-fuel/USER-GUIDE.de.md"},
      // A language without a guide of its own: its quick start, not the
      // English guide; the language's own guide when there is one.
      {{"bin/USER-GUIDE.txt", "bin/QUICKSTART.ko.txt"}, "ko", "bin/QUICKSTART.ko.txt"},
      {{"bin/USER-GUIDE.txt", "bin/QUICKSTART.ko.txt"}, "ru", "bin/USER-GUIDE.txt"},
      {{"bin/USER-GUIDE.de.txt", "bin/QUICKSTART.de.txt"}, "de", "bin/USER-GUIDE.de.txt"},
      {{"bin/USER-GUIDE.txt", "bin/QUICKSTART.en.txt"}, "en", "bin/USER-GUIDE.txt"},
      {{"share/doc/quelt-fuel/USER-GUIDE.md", "share/doc/quelt-fuel/QUICKSTART.pl.md"},
       "pl",
       "share/doc/quelt-fuel/QUICKSTART.pl.md"},
      {{"bin/USER-GUIDE.md/"}, "en", ""},  // a folder of that name is no guide
      {{}, "en", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    const auto root = TestDir() / ("guide" + std::to_string(++n));
    std::filesystem::create_directories(root / "bin");
    for (const std::string& name : c.present) {
      if (name.ends_with('/')) {
        std::filesystem::create_directories(root / name);
      } else {
        std::filesystem::create_directories((root / name).parent_path());
        std::ofstream(root / name) << "guide\n";
      }
    }
    ASSERT_TRUE(lang::SetLanguage(c.language));
    window.SetProgramFolder(root / "bin");
    face.opened.clear();
    face.boxes.clear();
    EXPECT_TRUE(window.KeyPressed(control::Key::F1, false, true));
    lang::SetLanguage("en");
    if (c.opened.empty()) {
      EXPECT_TRUE(face.opened.empty()) << n;
      ASSERT_EQ(face.boxes.size(), 1u) << n;
      EXPECT_EQ(face.boxes[0].kind, MessageKind::Warning);
      EXPECT_EQ(face.boxes[0].text,
                "The user guide is not installed: there is no USER-GUIDE "
                "file in " +
                    PathText(root / "bin") + ".");
    } else {
      ASSERT_EQ(face.opened.size(), 1u) << n;
      EXPECT_EQ(face.opened[0], root / c.opened) << n;
      EXPECT_TRUE(face.boxes.empty()) << n;
    }
  }
  // A guide the system has no program for is said so, not passed over.
  face.openSucceeds = false;
  face.boxes.clear();
  window.SetProgramFolder(TestDir() / "guide1" / "bin");
  window.Do(Command::Help);
  ASSERT_EQ(face.boxes.size(), 1u);
  EXPECT_NE(face.boxes[0].text.find("no program to show the user guide"), std::string::npos);
}

TEST(KeyTable, EachKeyDoesOneThingWhereItIsPressed) {
  using control::CommandForKey;
  using control::Key;
  struct Case {
    Key key;
    bool ctrl, inGrid;
    std::optional<Command> command;
  } cases[] = {
      {Key::F5, false, false, Command::Refresh},  {Key::Enter, true, false, Command::Send},
      {Key::Enter, true, true, Command::Send},    {Key::Enter, false, true, Command::Edit},
      {Key::Enter, false, false, std::nullopt},   {Key::F2, false, false, Command::Edit},
      {Key::Delete, true, true, Command::Delete}, {Key::Delete, true, false, std::nullopt},
      {Key::Delete, false, true, std::nullopt},   {Key::Up, true, false, Command::MoveUp},
      {Key::Down, true, true, Command::MoveDown}, {Key::Up, false, true, std::nullopt},
      {Key::O, true, false, Command::Open},       {Key::S, true, false, Command::Save},
      {Key::Q, true, false, Command::Exit},       {Key::F1, false, false, Command::Help},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandForKey(c.key, c.ctrl, c.inGrid), c.command)
        << static_cast<int>(c.key) << " ctrl " << c.ctrl << " grid " << c.inGrid;
  }
}

}  // namespace
}  // namespace quelt::test
