// Fills the two sample files. Layer: sample tool; each function writes rows into a
// file whose tables already exist and leaves indexes to the caller.
#pragma once

#include "tools/sample/SamplePlan.h"
#include "tools/sample/SampleRandom.h"

namespace sample {

class SqliteFile;

// Table DBS of "Schulver.mdb": every school of the plan.
void writeDirectory(SqliteFile& file, const SamplePlan& plan);

// Every table of the target, from the plan's schools and the given random source.
void writeTarget(SqliteFile& file, const SamplePlan& plan, const SampleSize& size, SampleRandom rng);

}  // namespace sample
