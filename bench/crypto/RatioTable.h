// A console reporter that also collects each benchmark's rate and, at the end, prints one row
// per primitive with our rate, OpenSSL's rate and their ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// One compared primitive: benchmarks "<Name>/ours" and "<Name>/OpenSSL".
struct TComparedPrimitive {
  std::string Name;
  std::string Unit;  // "MB/s" (bytes_per_second / 1e6) or "/s" (items_per_second)
  double Goal;       // the least acceptable ratio ours / OpenSSL
};

class RatioTable : public benchmark::ConsoleReporter {
 public:
  RatioTable() : ConsoleReporter(OO_Tabular) {}  // plain text: the output is often piped
  void ReportRuns(const std::vector<Run>& reports) override;
  // Prints the table; returns whether every ratio meets its goal.
  bool Print(const std::vector<TComparedPrimitive>& primitives) const;

 private:
  std::map<std::string, double> rates_;  // benchmark name -> bytes or items per second
};
