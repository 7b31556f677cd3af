#pragma once
// Progress gauge: a maximum and a value clamped to 0..maximum, shown as a
// percentage. A maximum of 0 (length unknown) shows 0%.
#include <QProgressBar>

namespace halvane {

class TGauge : public QProgressBar {
  Q_OBJECT

 public:
  explicit TGauge(QWidget* parent = nullptr);

  void SetMaxValue(long long maximum);
  void SetProgress(long long value);
  long long MaxValue() const { return FMax; }
  long long Progress() const { return FValue; }

 private:
  void Show();

  long long FMax = 100;
  long long FValue = 0;
};

}  // namespace halvane
