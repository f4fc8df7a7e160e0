// Generated question files for tests that compare two ways of reading the
// same file: well-formed blocks, blocks with the faults teachers make, and
// stray bytes between them. Equal seeds give equal files.
#pragma once

#include <random>
#include <string>

// A question file of `blocks` blocks drawn from `seed`. With `faults` false
// every block parses and can be answered; with true about a third of them
// hold a fault (an unclosed or odd quote, a missing answers or end tag, a
// stray tag byte, two equal answers, ...).
std::string GeneratedQuestionFile(unsigned seed, int blocks, bool faults);

// One block of the river question; `flags` is the text after the flags tag.
std::string RiverQuestionBlock(const std::string& flags = " zdg zc darkgreen ");
