#pragma once

#include <vector>

#include "bench/results.h"

namespace rostrel::bench {

// Prints one data set's section of the report: the sizes, the table of stages with their
// floors and targets, the pauses and the peaks of memory, as Markdown.
void Print(const Results& r);

// How each stage grows from one size to the next, against the growth of the document: a table
// for every pair of sets of one encoding where the larger holds ten times the athletes.
void PrintScaling(const std::vector<Results>& all);

}  // namespace rostrel::bench
