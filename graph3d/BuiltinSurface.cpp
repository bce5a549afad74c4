#include "graph3d/BuiltinSurface.h"

#include <algorithm>

namespace graph3d {

std::vector<std::unique_ptr<TGraphLine>> GenerateSurface(int32_t LineTotal, int32_t PointTotal,
                                                         long double PeakHeight) {
  graph3d::CheckGridSize(LineTotal, PointTotal);
  const int64_t N = LineTotal, P = PointTotal;
  const float cx = static_cast<float>(P * 0.25);
  const float cy = static_cast<float>(N * 0.75);
  const float r2 = static_cast<float>((P / 4.0) * (P / 4.0) + (N / 4.0) * (N / 4.0));
  std::vector<std::unique_ptr<TGraphLine>> lines;
  // A line of fewer than 2 values is refused at once: reserve nothing for it.
  if (P >= 2) lines.reserve(static_cast<size_t>(std::max<int64_t>(N, 0)));
  for (int64_t L = 0; L < N; ++L) {
    auto line = std::make_unique<TGraphLine>(PointTotal);
    line->StartPoint = {0, static_cast<float>(L), 0};
    line->EndPoint = {static_cast<float>(P), static_cast<float>(L), 0};
    const int64_t dl = L - N / 2;
    const double dy = double(L) - cy;
    float* values = line->Values();
    for (int64_t i = 0; i < P; ++i) {
      const int64_t di = i - P / 2;
      float v = static_cast<float>(PeakHeight - static_cast<long double>(di * di) - static_cast<long double>(dl * dl));
      const double dx = double(i) - cx;
      const float d = static_cast<float>(dx * dx + dy * dy);
      if (d <= r2) v = static_cast<float>(v + (double(r2) - d) * 5);
      values[i] = v;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace graph3d
