#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>

// Every test program makes its application object as the program does.
TEST(ApplicationTest, RunsOnQtsOwnEventLoopAndLeavesTheEnvironmentAsItWas) {
  const QString dispatcher =
      QString::fromLatin1(QAbstractEventDispatcher::instance()->metaObject()->className());
  EXPECT_FALSE(dispatcher.contains(QLatin1String("Glib"), Qt::CaseInsensitive))
      << dispatcher.toStdString();
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_NO_GLIB"))
      << "programs started from Ombrelia get their usual loop";
}
