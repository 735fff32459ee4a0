// The settings file's text form and how damaged or unusual files read and survive a write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/vb_ini_file.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::readAll;
using test::writeAll;

struct IniFileTest : ::testing::Test {
    test::TempDir dir;
    std::string path = dir.file("Orvane.ini");
    vbIniFile ini;
    void SetUp() override { ini.FileName(path); }
};

TEST_F(IniFileTest, WritesTheExactTextFormAndReadsItBack) {
    ini.SetNumber("Main", "Zoom", 100);
    ini.SetNumber("Main", "ScrollPos_X", 0);
    ini.SetBool("Main", "NoRedraw", false);
    ini.SetText("Main", "Display", "");
    ini.SetNumber("View", "WindowPos_Left", -900);
    ini.SetBool("View", "ToolBar", true);
    ini.SetNumber("Main", "Zoom", 125);  // in place, nothing else moves
    EXPECT_EQ(readAll(path), "[Main]\r\nZoom= 125\r\nScrollPos_X= 0\r\nNoRedraw= 0\r\nDisplay=\r\n"
                             "[View]\r\nWindowPos_Left=-900\r\nToolBar= 1\r\n");
    EXPECT_EQ(ini.GetNumber("View", "WindowPos_Left"), -900);
    EXPECT_EQ(ini.GetNumber("Main", "ScrollPos_X", 7), 0);
    EXPECT_FALSE(ini.GetBool("Main", "NoRedraw", true));
}

// Hand-written shapes read as the Win32 profile functions read them.
TEST_F(IniFileTest, QuotesKeysWithoutValueBrokenHeadersAndNonNumbersReadAsWin32) {
    struct Case {
        const char *lines, *section, *text;  // lines after "[Main]"; GetText with the default "def"
        std::int32_t number;                 // GetNumber with the default 7
        bool flag;                           // GetBool with the default true
    };
    const Case cases[] = {
        {"Other= 1", "Main", "def", 7, true},  // missing key or section: the defaults
        {"Zoom=-1", "Main", "-1", -1, true},  // any number but 0 is true
        {"Zoom=  +17  ", "Main", "+17", 17, true},
        {"Zoom=12abc", "Main", "12abc", 12, true},
        {"Zoom=99999999999", "Main", "99999999999", 2147483647, true},  // saturated
        {"Zoom=\"50\"", "Main", "50", 50, true},                         // matching quotes go
        {"Zoom=' 1 '", "Main", " 1", 1, true},
        {"Zoom=\"\"", "Main", "", 0, false},
        {"Zoom=\"50'", "Main", "\"50'", 0, false},  // not matching: kept
        {"Zoom\r\nZoom=50", "Main", "def", 7, true},  // a key without value hides the later line
        {" zoom \r\nZoom=50", "Main", "def", 7, true},
        {"[View\r\nZoom=50", "Main", "50", 50, true},  // no header: still in Main
        {"Zoom=abc", "Main", "abc", 0, false},          // there but no number: 0
    };
    EXPECT_EQ(ini.GetNumber("Main", "Zoom", 100), 100);
    EXPECT_FALSE(std::ifstream(path).good()) << "reading must not create the file";
    for (const Case& c : cases) {
        writeAll(path, std::string("[Main]\r\n") + c.lines + "\r\n");
        EXPECT_EQ(ini.GetText(c.section, "Zoom", "def"), c.text) << c.lines;
        EXPECT_EQ(ini.GetNumber(c.section, "Zoom", 7), c.number) << c.lines;
        EXPECT_EQ(ini.GetBool(c.section, "Zoom", true), c.flag) << c.lines;
    }
    // Writing sets the key without value in place and leaves the rest byte for byte.
    writeAll(path, "[Main]\r\nZoom\r\n[View\r\nZoom=50\r\n");
    ini.SetNumber("Main", "Zoom", 25);
    EXPECT_EQ(readAll(path), "[Main]\r\nZoom= 25\r\n[View\r\nZoom=50\r\n");
}

TEST_F(IniFileTest, NamesIgnoreCaseAndTheFirstOfDuplicatesWins) {
    writeAll(path, "[main]\r\nzoom= 50\r\nZOOM= 60\r\n[MAIN]\r\nZoom= 70\r\nOnlyHere= 3\r\n");
    EXPECT_EQ(ini.GetNumber("Main", "Zoom"), 50);
    EXPECT_EQ(ini.GetNumber("Main", "OnlyHere", -1), -1);
    ini.SetNumber("Main", "Zoom", 80);
    ini.SetNumber("MAIN", "New", 1);
    EXPECT_EQ(readAll(path),
              "[main]\r\nZoom= 80\r\nZOOM= 60\r\nNew= 1\r\n[MAIN]\r\nZoom= 70\r\nOnlyHere= 3\r\n");
}

TEST_F(IniFileTest, OtherLineEndingsBomAndForeignLinesSurviveAWrite) {
    writeAll(path, "\xEF\xBB\xBF[Main]\nZoom = 150 \n; a comment\n\n[Other]\rkey=value\r[View]\r\nToolBar= 0");
    EXPECT_EQ(ini.GetNumber("Main", "Zoom"), 150);
    EXPECT_EQ(ini.GetText("Other", "key"), "value");
    ini.SetNumber("Main", "Interval", 100);
    ini.SetBool("View", "StatusBar", true);
    ini.SetNumber("Main", "Zoom", 25);
    EXPECT_EQ(readAll(path), "\xEF\xBB\xBF[Main]\nZoom= 25\n; a comment\nInterval= 100\r\n\n[Other]\rkey=value\r"
                             "[View]\r\nToolBar= 0\r\nStatusBar= 1\r\n");
    writeAll(path, "\xEF\xBB\xBFZoom=1\r\n");  // a key before any section belongs to none
    ini.SetNumber("Main", "Zoom", 2);
    EXPECT_EQ(readAll(path), "\xEF\xBB\xBFZoom=1\r\n[Main]\r\nZoom= 2\r\n");
}

TEST_F(IniFileTest, TextsEndAtNulAndLineBreaksAndAreCutTo1023Bytes) {
    ini.SetText("Main", "Display", std::string("DUMMY1\0\0\0", 9));
    EXPECT_EQ(ini.GetText("Main", "Display"), "DUMMY1");
    ini.SetText("Main", "Display", "HDMI-1\r\n[Evil]\r\nZoom= 1");
    EXPECT_EQ(readAll(path), "[Main]\r\nDisplay=HDMI-1\r\n");
    const std::string longValue(100000, 'x');
    writeAll(path, "[Main]\r\nDisplay=" + longValue + "\r\nZoom= 75\r\n");
    EXPECT_EQ(ini.GetText("Main", "Display"), std::string(1023, 'x'));
    EXPECT_EQ(ini.GetText("Main", "Missing", std::string(2000, 'd')), std::string(1023, 'd'));
    ini.SetNumber("Main", "Zoom", 80);
    EXPECT_EQ(readAll(path), "[Main]\r\nDisplay=" + longValue + "\r\nZoom= 80\r\n");
}

// A file that cannot be read or replaced is left as it is (root ignores file
// permissions: those checks run as an ordinary user in a child); a write keeps
// the file's mode and a link to it, and leaves no temporary file.
TEST_F(IniFileTest, TheFileSurvivesWhatCannotBeWrittenAndKeepsModeAndLinks) {
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);  // a directory where the file should be
    ini.SetNumber("Main", "Zoom", 50);
    EXPECT_EQ(ini.GetNumber("Main", "Zoom", 100), 100);
    ::rmdir(path.c_str());
    ::chmod(dir.path().c_str(), 0777);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
        const std::string old = "[Main]\r\nZoom= 30\r\n", locked = dir.file("locked/");
        ::mkdir(locked.c_str(), 0755);
        writeAll(locked + "Orvane.ini", old);
        ::chmod(locked.c_str(), 0555);  // no temporary file can be made there
        ini.FileName(locked + "Orvane.ini");
        ini.SetNumber("Main", "Zoom", 50);
        int failures = readAll(locked + "Orvane.ini") != old;
        ::chmod(locked.c_str(), 0755);
        writeAll(path, old);
        ini.FileName(path);
        for (mode_t mode : {0444, 0000}) {  // read-only; unreadable: rewriting would lose its contents
            ::chmod(path.c_str(), mode);
            ini.SetNumber("Main", "Zoom", 50);
            ::chmod(path.c_str(), 0600);
            failures += readAll(path) != old;
        }
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "checks failed as an ordinary user";

    const std::string link = dir.file("link.ini");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ini.FileName(link);
    ini.SetNumber("Main", "Zoom", 40);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(readAll(path), "[Main]\r\nZoom= 40\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

}  // namespace
}  // namespace orvane
