#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Seeds, mutations and checks for feeding damaged and hostile hive files to the parser.
namespace hivefuzz {

// Files covering what the reader knows: this program's own with every kind of value and
// awkward names, hand-edited ones with lines it does not understand and sections of other
// hives, a Windows export in UTF-16LE and in UTF-8, keys at the depth and name limits, and
// many siblings.
std::vector<std::string> MakeSeeds();

// Case number index of a campaign: a seed cut, or changed by one to six mutations (bytes
// changed, inserted or removed, lines repeated, moved or taken from another seed, line
// breaks, continuations, NULs and deep paths put in). The same (campaign, index) always
// gives the same bytes.
std::string MakeCase(const std::vector<std::string>& seeds, std::uint64_t campaign,
                     std::uint64_t index);

struct Outcome {
    bool accepted = false;
    std::string failure;  // empty when every check held
};

// Parses the file and checks what must hold for every input: a read of one key accepts
// and refuses exactly what the whole parse does and finds the same values and subkeys; an
// accepted hive can be written, and what is written reads back as the same tree and
// writes again as the same bytes.
Outcome CheckCase(std::string_view bytes);

}  // namespace hivefuzz
