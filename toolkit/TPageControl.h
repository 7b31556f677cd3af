#pragma once
// A page control whose pages are switched by the program; it draws a thin
// frame and never shows tabs, but keeps each page's tab flag.
#include <QFrame>
#include <QList>

class QStackedLayout;

namespace halvane {

class TPageControl : public QFrame {
  Q_OBJECT

 public:
  explicit TPageControl(QWidget* parent = nullptr);

  int AddPage(QWidget* page);
  int PageCount() const;
  QWidget* Page(int index) const;
  int IndexOf(QWidget* page) const;
  void SetActivePage(int index);
  int ActivePageIndex() const;
  QWidget* ActivePage() const;
  void HidePageTab(int index);
  bool TabShown(int index) const;
  // The pages after it move down by one.
  void DestroyPage(int index);

 private:
  QStackedLayout* FStack;
  QList<bool> FTabShown;
};

}  // namespace halvane
