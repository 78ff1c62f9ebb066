#pragma once

#include <QCoreApplication>

// Reading and choosing the entries of a page's list boxes in tests.

#include <gtest/gtest.h>
#include <QListWidget>
#include <QStringList>

inline QStringList Entries(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}
inline QStringList Entries(const QListWidget& list) {
  return Entries(&list);
}
inline QStringList Entries(QWidget& page, const char* list) {
  return Entries(page.findChild<QListWidget*>(list));
}

// Selects the entry with this text, as a click would.
inline void Select(QListWidget* list, const QString& text) {
  const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(items.isEmpty()) << text.toStdString();
  items.first()->setSelected(true);
  QCoreApplication::processEvents();  // what the selection sets off, as the window would run it
}
inline void Select(QWidget& page, const char* list, const QString& text) {
  Select(page.findChild<QListWidget*>(list), text);
}
