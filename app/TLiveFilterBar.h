#pragma once
// The bar above the live list that narrows it: comments open, comment
// links, the user's link, a lowest authority, new pages only. Each change
// is reported at once as a whole filter.
#include <QFrame>

#include "liverun/TLiveFilter.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace halvane {

class TLiveFilterBar : public QFrame {
  Q_OBJECT

 public:
  explicit TLiveFilterBar(QWidget* parent = nullptr);

  liverun::TLiveFilter Filter() const;
  // Every choice back to "any".
  void btnClearFilterClick();

 signals:
  void FilterChanged(const liverun::TLiveFilter& filter);

 private:
  void ControlChanged();

  QComboBox* cbxCommentsOpen = nullptr;
  QComboBox* cbxCommentLinks = nullptr;
  QComboBox* cbxYourLink = nullptr;
  QSpinBox* spnMinAuthority = nullptr;
  QCheckBox* chkNewOnly = nullptr;
  QPushButton* btnClearFilter = nullptr;
  bool FResetting = false;
};

}  // namespace halvane
