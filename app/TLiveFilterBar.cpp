#include "app/TLiveFilterBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace halvane {
namespace {

using TYesNo = liverun::TLiveFilter::TYesNo;

QComboBox* NewChoice(QWidget* parent, const char* name, const QString& hint, std::initializer_list<const char*> items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setToolTip(hint);
  for (const char* item : items) box->addItem(QLatin1String(item));
  return box;
}

TYesNo YesNoAt(const QComboBox* box) {
  switch (box->currentIndex()) {
    case 1: return TYesNo::Yes;
    case 2: return TYesNo::No;
    default: return TYesNo::Any;
  }
}

}  // namespace

TLiveFilterBar::TLiveFilterBar(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("pnlFilter"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 2, 8, 2);
  layout->addWidget(new QLabel(QStringLiteral("Show:"), this));
  cbxCommentsOpen = NewChoice(this, "cbxCommentsOpen", QStringLiteral("Comments"),
                              {"Any comments", "Comments open", "Comments closed"});
  cbxCommentLinks = NewChoice(this, "cbxCommentLinks", QStringLiteral("Comment links"),
                              {"Any comment links", "Links followed", "Links mixed", "No links yet"});
  cbxYourLink = NewChoice(this, "cbxYourLink", QStringLiteral("Your link on the page"),
                          {"With or without your link", "Has your link", "Without your link"});
  spnMinAuthority = new QSpinBox(this);
  spnMinAuthority->setObjectName(QStringLiteral("spnMinAuthority"));
  spnMinAuthority->setRange(-1, 10);
  spnMinAuthority->setValue(-1);
  spnMinAuthority->setSpecialValueText(QStringLiteral("Any authority"));
  spnMinAuthority->setPrefix(QStringLiteral("Authority \u2265 "));
  spnMinAuthority->setToolTip(QStringLiteral("Lowest authority shown"));
  chkNewOnly = new QCheckBox(QStringLiteral("New since the last run"), this);
  chkNewOnly->setObjectName(QStringLiteral("chkNewOnly"));
  chkNewOnly->setToolTip(QStringLiteral("Only pages no earlier run judged (needs the store)"));
  btnClearFilter = new QPushButton(QStringLiteral("Show All"), this);
  btnClearFilter->setObjectName(QStringLiteral("btnClearFilter"));
  btnClearFilter->setAutoDefault(false);
  for (QWidget* control : std::initializer_list<QWidget*>{cbxCommentsOpen, cbxCommentLinks, cbxYourLink,
                                                          spnMinAuthority, chkNewOnly, btnClearFilter}) {
    layout->addWidget(control);
  }
  layout->addStretch(1);

  for (QComboBox* box : {cbxCommentsOpen, cbxCommentLinks, cbxYourLink}) {
    connect(box, &QComboBox::currentIndexChanged, this, &TLiveFilterBar::ControlChanged);
  }
  connect(spnMinAuthority, &QSpinBox::valueChanged, this, &TLiveFilterBar::ControlChanged);
  connect(chkNewOnly, &QCheckBox::toggled, this, &TLiveFilterBar::ControlChanged);
  connect(btnClearFilter, &QPushButton::clicked, this, &TLiveFilterBar::btnClearFilterClick);
}

liverun::TLiveFilter TLiveFilterBar::Filter() const {
  liverun::TLiveFilter filter;
  filter.CommentsOpen = YesNoAt(cbxCommentsOpen);
  switch (cbxCommentLinks->currentIndex()) {
    case 1: filter.CommentLinks = pagetest::TCommentLinks::Followed; break;
    case 2: filter.CommentLinks = pagetest::TCommentLinks::Mixed; break;
    case 3: filter.CommentLinks = pagetest::TCommentLinks::NoneYet; break;
    default: break;
  }
  filter.HasYourLink = YesNoAt(cbxYourLink);
  if (spnMinAuthority->value() >= 0) filter.MinAuthority = spnMinAuthority->value();
  filter.NewOnly = chkNewOnly->isChecked();
  return filter;
}

void TLiveFilterBar::btnClearFilterClick() {
  FResetting = true;
  for (QComboBox* box : {cbxCommentsOpen, cbxCommentLinks, cbxYourLink}) box->setCurrentIndex(0);
  spnMinAuthority->setValue(-1);
  chkNewOnly->setChecked(false);
  FResetting = false;
  ControlChanged();
}

void TLiveFilterBar::ControlChanged() {
  if (!FResetting) emit FilterChanged(Filter());
}

}  // namespace halvane
