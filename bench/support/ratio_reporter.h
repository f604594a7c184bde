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
  // Prints also the counter `counter` of the run `run_name` (its median
  // with repetitions), as "label = value" under the ratio.
  void AlsoCounter(std::string run_name, std::string counter, std::string label) {
    counter_run_ = std::move(run_name);
    counter_ = std::move(counter);
    counter_label_ = std::move(label);
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string name = run.run_name.str();
      const bool median_run = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!counter_.empty() && name == counter_run_ && (median_run || !counter_from_median_)) {
        if (const auto it = run.counters.find(counter_); it != run.counters.end()) {
          counter_value_ = it->second.value;
          counter_from_median_ = median_run;
        }
      }
      if (run.run_type == Run::RT_Aggregate && !median_run) continue;
      Times& times = times_[name];
      if (times.from_median && !median_run) continue;
      times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median_run};
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
    if (counter_value_ > 0) std::printf("%s, %s = %.2f\n", label_.c_str(), counter_label_.c_str(), counter_value_);
  }

 private:
  struct Times {
    double real = 0;
    double cpu = 0;
    bool from_median = false;
  };
  std::string numerator_, denominator_, label_;
  std::map<std::string, Times> times_;
  std::string counter_run_, counter_, counter_label_;
  double counter_value_ = 0;
  bool counter_from_median_ = false;
};

}  // namespace benchsupport
