// The password prompt on a real terminal: whatever ends the program there, the terminal gets
// its echo back.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <string>

namespace {

// Reads what the program writes until `text` appears or the program closes the terminal.
bool ReadUntil(int terminal, const std::string& text) {
  std::string seen;
  char buffer[256];
  for (;;) {
    const ssize_t count = read(terminal, buffer, sizeof buffer);
    if (count <= 0) return false;
    seen.append(buffer, static_cast<std::size_t>(count));
    if (seen.find(text) != std::string::npos) return true;
  }
}

}  // namespace

TEST(PasswordPrompt, CtrlCAtThePromptGivesTheTerminalItsEchoBack) {
  QTemporaryDir config;
  ASSERT_TRUE(QDir(config.path()).mkpath("."));
  QFile settings(config.filePath("Korvath.ini"));
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write("[Ombrelia]\nServer=127.0.0.1\nUser=nobody\nDatabase=db\nPort=9\n");
  settings.close();

  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    unsetenv("OMBRELIA_PASSWORD1");
    execl(OMBRELIA_PROGRAM, OMBRELIA_PROGRAM, "test", "1", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_TRUE(ReadUntil(terminal, "Password of nobody on 127.0.0.1"));
  termios atPrompt{};
  ASSERT_EQ(tcgetattr(terminal, &atPrompt), 0);
  EXPECT_EQ(atPrompt.c_lflag & ECHO, 0u);  // the prompt does hide what is typed

  const char interrupt = '\x03';
  ASSERT_EQ(write(terminal, &interrupt, 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  termios after{};
  ASSERT_EQ(tcgetattr(terminal, &after), 0);
  close(terminal);
  EXPECT_NE(after.c_lflag & ECHO, 0u);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}
