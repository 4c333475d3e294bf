// The two files `judge create` reads (schema.json, data.json; their shapes are those of the
// judge's `create` verb), written from a plan and the rows of the SQLite sample, and the
// SQLite twin of a target whose references had to be fitted. Layer: test tool (judge
// targets); it reads the sample only through SQLite and never writes it.
#pragma once

#include "tools/judge-target/TargetPlan.h"

#include <map>
#include <string>

namespace judgetarget {

struct DataSummary {
    std::map<std::string, long long> rows;     // by table
    std::map<std::string, long long> fitted;   // relationship name -> references made NULL
};

void writeSchemaJson(const TargetPlan& plan, const std::string& path);

// Every row of every plan table, in the sample's row order; throws util::Error naming the
// file, table or column the sample lacks.
DataSummary writeDataJson(const TargetPlan& plan, const std::string& sqlitePath, const std::string& path);

// A copy of the SQLite sample with the same references made NULL as in the target, so that a
// run on it is the one to compare with.
void writeSqliteTwin(const TargetPlan& plan, const std::string& sqlitePath, const std::string& twinPath);

}  // namespace judgetarget
