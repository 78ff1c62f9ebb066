#pragma once

// Procedures that several pages share, and the look common to every page.

#include <QString>

class QListWidget;
class QWidget;
class SkinFramework;

namespace Main {

// The constant product title.
inline constexpr char kProductTitle[] = "Ombrelia";
// The maker's home page, opened in about one start-up of a hundred.
inline constexpr char kHomePage[] = "https://ombrelia.example/";
// Names of the program folder's optional files.
inline constexpr char kSkinFile[] = "\\x\\o.cjs";
inline constexpr char kHandPointerFile[] = "\\HAND-M.CUR";

// True when some entry equals the text, ignoring letter case.
bool ListContains(const QListWidget& list, const QString& text);
// Removes every entry that equals the text exactly.
void ListRemove(QListWidget& list, const QString& text);
// True when the file system knows the path (a folder counts too); never fails.
bool FileExists(const QString& path);
// Skins the connection page when the skin file is present: page colours, then the skin.
void ApplySkin(QWidget& form1, SkinFramework& skin);
// Gives a page and its option buttons, check boxes, frames and labels the page colour.
void ApplyFormColors(QWidget& page);
// The application title derived from the product title: words are dropped from the end, the
// last one always, until at most 40 characters remain. A title without a blank keeps itself.
QString AppTitleFrom(const QString& productTitle);
void SetAppTitle();
void OpenHomePageAtRandom();

}  // namespace Main
