#include "platform/desktop/random.h"

#include <QTime>
#include <random>

namespace platform {
namespace {
std::mt19937& Generator() {
  static std::mt19937 generator;
  return generator;
}
std::function<double()>& Source() {
  static std::function<double()> source;
  return source;
}
}  // namespace

void Randomize() {
  Generator().seed(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay()));
}

double Rnd() {
  if (Source()) return Source()();
  return std::uniform_real_distribution<double>(0.0, 1.0)(Generator());
}

void SetRandomSource(std::function<double()> source) {
  Source() = std::move(source);
}

}  // namespace platform
