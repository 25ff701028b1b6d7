// The remembered settings: the setup dialog preselects the last choice, the options given on a
// command line are kept, and a file that cannot be read or written never stops the program.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"

// A headless run through the dialog (answers `dialog`) that quits at once; returns its log.
static std::string qvDialogRun(const std::string& dir, const std::string& xdg, const std::string& extra, int* status,
                               std::string* err) {
  std::remove((dir + "/run.log").c_str());
  *status = qvRunProgram(dir, "--headless --no-music --script 100:key:ESC --log run.log " + extra, nullptr, err,
                         "XDG_CONFIG_HOME='" + xdg + "'");
  return qvLogLines(qvReadFile(dir + "/run.log"), "XLOG: setup dialog: ");
}

TEST(QvConfig, TheDialogRemembersItsChoice) {
  std::string dir = qvAssetDir("config_round"), xdg = qvFreshDir("config_round_xdg"), err;
  std::string conf = xdg + "/quorvane/quorvane.conf";
  int st = -1;
  EXPECT_EQ(qvDialogRun(dir, xdg, "--headless-dialog windowed,ok", &st, &err),
            "XLOG: setup dialog: full screen preselected, windowed chosen\n");
  EXPECT_EQ(st, 0) << err;
  EXPECT_NE(qvReadFile(conf).find("\ndisplay-mode = windowed\n"), std::string::npos) << qvReadFile(conf);
  // The next run preselects it; a given --scaling joins the file, the display mode stays.
  EXPECT_EQ(qvDialogRun(dir, xdg, "--headless-dialog ok --scaling integer", &st, &err),
            "XLOG: setup dialog: windowed preselected, windowed chosen\n");
  EXPECT_EQ(st, 0) << err;
  std::string kept = qvReadFile(conf);
  EXPECT_NE(kept.find("\ndisplay-mode = windowed\nscaling = integer\n"), std::string::npos) << kept;
  // --no-config neither reads nor writes it.
  EXPECT_EQ(qvDialogRun(dir, xdg, "--no-config --headless-dialog fullscreen,ok", &st, &err),
            "XLOG: setup dialog: full screen preselected, full screen chosen\n");
  EXPECT_EQ(qvReadFile(conf), kept);
}

TEST(QvConfig, BadFilesAreIgnoredWithOneLine) {
  std::string dir = qvAssetDir("config_bad"), xdg = qvFreshDir("config_bad_xdg"), err;
  std::string conf = xdg + "/quorvane/quorvane.conf";
  ASSERT_EQ(std::system(("mkdir -p '" + xdg + "/quorvane'").c_str()), 0);
  std::ofstream(conf) << "display-mode = windowed\nscaling = sideways\n";
  int st = -1;
  EXPECT_EQ(qvDialogRun(dir, xdg, "--headless-dialog ok", &st, &err),
            "XLOG: setup dialog: full screen preselected, full screen chosen\n");
  EXPECT_EQ(st, 0);
  EXPECT_EQ(qvLogLines(err, "quorvane: ignoring"),
            "quorvane: ignoring the settings in " + conf + ": line 2 is not a known 'key = value'\n");
  // Rewritten whole with this run's choice.
  EXPECT_NE(qvReadFile(conf).find("\ndisplay-mode = fullscreen\n"), std::string::npos) << qvReadFile(conf);
  // A folder where the file should be: neither read nor written, one line each, the run goes on.
  std::remove(conf.c_str());
  ASSERT_EQ(std::system(("mkdir '" + conf + "'").c_str()), 0);
  EXPECT_EQ(qvDialogRun(dir, xdg, "--headless-dialog windowed,ok", &st, &err),
            "XLOG: setup dialog: full screen preselected, windowed chosen\n");
  EXPECT_EQ(st, 0);
  EXPECT_EQ(qvLogLines(err, "quorvane: ignoring") + qvLogLines(err, "quorvane: cannot"),
            "quorvane: ignoring the settings in " + conf + ": Is a directory\nquorvane: cannot write " + conf +
                ": Is a directory\n");
  // XDG_CONFIG_HOME a file: the folder cannot be made.
  std::string file = xdg + "/plain";
  std::ofstream(file) << "x";
  EXPECT_EQ(qvDialogRun(dir, file, "--headless-dialog ok", &st, &err),
            "XLOG: setup dialog: full screen preselected, full screen chosen\n");
  EXPECT_EQ(st, 0);
  EXPECT_EQ(qvLogLines(err, "quorvane: ignoring") + qvLogLines(err, "quorvane: cannot"),
            "quorvane: ignoring the settings in " + file +
                "/quorvane/quorvane.conf: Not a directory\n"
                "quorvane: cannot write " +
                file + "/quorvane/quorvane.conf: Not a directory\n");
}

// A monitor remembered from another set-up that is gone now: one line, and the first monitor
// serves (SDL's dummy video driver has one). A --display given on the command line still fails.
TEST(QvConfig, RememberedMonitorThatIsGoneFallsBack) {
  std::string dir = qvAssetDir("config_monitor"), xdg = qvFreshDir("config_monitor_xdg"), err;
  ASSERT_EQ(std::system(("mkdir -p '" + xdg + "/quorvane'").c_str()), 0);
  std::ofstream(xdg + "/quorvane/quorvane.conf") << "display = 5\n";
  std::string env = "XDG_CONFIG_HOME='" + xdg + "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy";
  EXPECT_EQ(qvRunProgram(dir, "--windowed --no-music --script 100:key:ESC", nullptr, &err, env), 0) << err;
  EXPECT_EQ(qvLogLines(err, "quorvane: there is no monitor"),
            "quorvane: there is no monitor 5 (1 found, numbered from 0); using monitor 0\n");
  EXPECT_EQ(qvRunProgram(dir, "--windowed --no-music --display 5 --script 100:key:ESC", nullptr, &err, env), 1);
  EXPECT_EQ(err, "quorvane: there is no monitor 5 (1 found, numbered from 0)\n");
}
