#include "RatioTable.h"

#include <cstdio>

void RatioTable::ReportRuns(const std::vector<Run>& reports) {
  ConsoleReporter::ReportRuns(reports);
  for (const Run& run : reports) {
    // With repetitions only the median counts; without them the single run does.
    if (run.error_occurred ||
        (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")) {
      continue;
    }
    for (const char* counter : {"bytes_per_second", "items_per_second"}) {
      const auto found = run.counters.find(counter);
      if (found != run.counters.end()) rates_[run.run_name.function_name] = found->second.value;
    }
  }
}

bool RatioTable::Print(const std::vector<TComparedPrimitive>& primitives) const {
  bool all_met = true;
  std::printf("\n%-36s %14s %14s %7s %6s\n", "primitive", "ours", "OpenSSL", "ratio", "goal");
  for (const TComparedPrimitive& p : primitives) {
    const auto ours = rates_.find(p.Name + "/ours"), theirs = rates_.find(p.Name + "/OpenSSL");
    if (ours == rates_.end() || theirs == rates_.end()) continue;
    const double scale = p.Unit == "MB/s" ? 1e-6 : 1.0;
    const double ratio = ours->second / theirs->second;
    const bool met = ratio >= p.Goal;
    all_met = all_met && met;
    std::printf("%-36s %9.1f %-4s %9.1f %-4s %7.2f %5.2f%s\n", p.Name.c_str(), ours->second * scale,
                p.Unit.c_str(), theirs->second * scale, p.Unit.c_str(), ratio, p.Goal,
                met ? "" : "  MISSED");
  }
  return all_met;
}
