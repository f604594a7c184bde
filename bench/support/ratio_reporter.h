// A console reporter that, at the end, prints one benchmark's time as a
// multiple of another's ("channel command / debug log line = 1.23").
#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchsupport {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter(std::string numerator, std::string denominator, std::string label)
      : numerator_(std::move(numerator)), denominator_(std::move(denominator)), label_(std::move(label)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto top = times_.find(numerator_);
    const auto bottom = times_.find(denominator_);
    if (top != times_.end() && bottom != times_.end() && bottom->second > 0)
      std::printf("%s = %.2f\n", label_.c_str(), top->second / bottom->second);
  }

 private:
  std::string numerator_, denominator_, label_;
  std::map<std::string, double> times_;
};

}  // namespace benchsupport
