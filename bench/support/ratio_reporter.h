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

  // With --benchmark_repetitions the ratio is taken of the medians (a
  // shared machine's outliers fall out); otherwise of the single run.
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string name = run.run_name.str();
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      Times& times = times_[name];
      if (times.from_median && !median) continue;
      times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // The processor-time ratio is printed beside the wall-clock one: when
  // other work shares the machine it is the steadier of the two. Not for a
  // benchmark measured in real time: its work runs elsewhere too (another
  // process, the device), where this process's clock does not see it.
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto top = times_.find(numerator_);
    const auto bottom = times_.find(denominator_);
    if (top == times_.end() || bottom == times_.end() || bottom->second.real <= 0) return;
    std::printf("%s = %.2f", label_.c_str(), top->second.real / bottom->second.real);
    const bool real_time = numerator_.ends_with("/real_time") || denominator_.ends_with("/real_time");
    if (!real_time && bottom->second.cpu > 0) std::printf(" (cpu time: %.2f)", top->second.cpu / bottom->second.cpu);
    std::printf("\n");
  }

 private:
  struct Times {
    double real = 0;
    double cpu = 0;
    bool from_median = false;
  };
  std::string numerator_, denominator_, label_;
  std::map<std::string, Times> times_;
};

}  // namespace benchsupport
