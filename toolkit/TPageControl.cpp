#include "toolkit/TPageControl.h"

#include <QStackedLayout>

namespace halvane {

TPageControl::TPageControl(QWidget* parent) : QFrame(parent), FStack(new QStackedLayout(this)) {
  setProperty("skinPanel", "pages");
  FStack->setContentsMargins(0, 0, 0, 0);
}

int TPageControl::AddPage(QWidget* page) {
  FTabShown.push_back(true);
  return FStack->addWidget(page);
}

int TPageControl::PageCount() const { return FStack->count(); }

QWidget* TPageControl::Page(int index) const { return FStack->widget(index); }

int TPageControl::IndexOf(QWidget* page) const { return FStack->indexOf(page); }

void TPageControl::SetActivePage(int index) {
  if (index >= 0 && index < FStack->count()) FStack->setCurrentIndex(index);
}

int TPageControl::ActivePageIndex() const { return FStack->currentIndex(); }

QWidget* TPageControl::ActivePage() const { return FStack->currentWidget(); }

void TPageControl::HidePageTab(int index) {
  if (index >= 0 && index < FTabShown.size()) FTabShown[index] = false;
}

bool TPageControl::TabShown(int index) const {
  return index >= 0 && index < FTabShown.size() && FTabShown[index];
}

void TPageControl::DestroyPage(int index) {
  QWidget* page = FStack->widget(index);
  if (!page) return;
  FStack->removeWidget(page);
  FTabShown.removeAt(index);
  delete page;
}

}  // namespace halvane
