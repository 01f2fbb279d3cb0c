#pragma once

#include <cstdint>
#include <string>

// Fills the tags of a template: a tag is "<", an upper-case name and "/>" ("<FOLDER/>").
// The five (name, value) pairs are applied in order; a pair with an empty name is skipped.
// Each name is upper-cased, and every occurrence of its tag in the current text is
// replaced by the value, left to right, continuing after the inserted value. A later pair
// therefore also fills tags that an earlier value brought in.
std::string ReplaceTags(const std::string& text, const std::string& name1 = {},
                        const std::string& value1 = {}, const std::string& name2 = {},
                        const std::string& value2 = {}, const std::string& name3 = {},
                        const std::string& value3 = {}, const std::string& name4 = {},
                        const std::string& value4 = {}, const std::string& name5 = {},
                        const std::string& value5 = {});

// A 32-bit signed integer as decimal text: a minus sign for negative values, no leading
// zeros or blanks.
std::string IntToText(std::int32_t value);
