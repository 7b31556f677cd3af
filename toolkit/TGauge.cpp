#include "toolkit/TGauge.h"

#include <algorithm>

namespace halvane {

TGauge::TGauge(QWidget* parent) : QProgressBar(parent) {
  setTextVisible(true);
  setFormat(QStringLiteral("%p%"));
  setAlignment(Qt::AlignCenter);
  setRange(0, 100);
  Show();
}

void TGauge::SetMaxValue(long long maximum) {
  FMax = std::max(0LL, maximum);
  FValue = std::clamp(FValue, 0LL, FMax);
  Show();
}

void TGauge::SetProgress(long long value) {
  FValue = std::clamp(value, 0LL, FMax);
  Show();
}

void TGauge::Show() {
  // QProgressBar holds ints; the shown percentage is what matters.
  const int percent = FMax > 0 ? static_cast<int>(FValue * 100 / FMax) : 0;
  setValue(percent);
}

}  // namespace halvane
