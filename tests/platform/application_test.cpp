#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cstdio>

#include "platform/desktop/dialogs.h"

// Every test program makes its application object as the program does.
TEST(ApplicationTest, RunsOnQtsOwnEventLoopAndLeavesTheEnvironmentAsItWas) {
  const QString dispatcher =
      QString::fromLatin1(QAbstractEventDispatcher::instance()->metaObject()->className());
  EXPECT_FALSE(dispatcher.contains(QLatin1String("Glib"), Qt::CaseInsensitive))
      << dispatcher.toStdString();
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_NO_GLIB"))
      << "programs started from Ombrelia get their usual loop";
}

namespace {
// Counts the requests to end the program that reach the application object.
class QuitRequests : public QObject {
 public:
  QuitRequests() { qApp->installEventFilter(this); }
  ~QuitRequests() override { qApp->removeEventFilter(this); }
  int count = 0;

 private:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Quit) ++count;
    return false;
  }
};
}  // namespace

// A real box, shown while no page is open, is the last window to close: the program goes on.
TEST(ApplicationTest, ClosingTheLastBoxDoesNotEndTheProgram) {
  dialogs::SetBackend(nullptr);
  const QuitRequests quits;
  QTimer::singleShot(0, [] {
    QTimer::singleShot(0, [] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      box->close();
    });
    dialogs::MsgBox(QStringLiteral("Done."));
    QTimer::singleShot(0, [] { QCoreApplication::exit(42); });
  });
  EXPECT_EQ(QCoreApplication::exec(), 42);
  EXPECT_EQ(quits.count, 0);
}

// The driver's own number texts follow the C locale whatever the user's locale says.
TEST(ApplicationTest, NumbersAreFormattedWithThePoint) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 0.5);
  EXPECT_STREQ(text, "0.5");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}
