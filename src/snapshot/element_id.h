// Element ids: "auto:", "name:<role>:", "help:<role>:" or "idx:<n>", made unique
// within one scan by a "#<n>" suffix.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "daemon/element_record.h"

namespace uiad {

using ElementRecordTable = std::unordered_map<std::string, ElementRecord>;

// Per id base, the next "#" number worth trying. Every smaller number is known
// to be taken, so a scan with many equal names stays linear. Tables only grow
// during a scan, so the hint never skips a free id.
class IdSuffixHints {
 public:
  std::uint64_t& next_for(const std::string& base);
  // The hint of a base already found taken, or nullptr.
  std::uint64_t* find(const std::string& base);

 private:
  std::unordered_map<std::string, std::uint64_t> next_;
};

// Trimmed, runs of characters other than ASCII letters, digits, "-", "." and
// "_" folded into one "_", at most 64 characters, "_" stripped at both ends;
// "_" when nothing is left.
std::string sanitize_id_text(std::string_view text);

// The id of a record given the element counter (already advanced for it) and
// the ids recorded so far in this scan.
std::string make_element_id(const ElementRecord& record, std::uint64_t counter,
                            const ElementRecordTable& ids, IdSuffixHints& hints);

// The two halves of make_element_id, for callers that insert as they go.
// Sets `out` to the base of the "auto:", "name:" or "help:" form and returns
// true, or sets it to the finished "idx:" id (which needs no suffix) and
// returns false.
bool element_id_base(const ElementRecord& record, std::uint64_t counter, std::string& out);
// `out` = base + "#" + n.
void make_suffixed(const std::string& base, std::uint64_t n, std::string& out);
// base + "#" + n for the first n from 2 that `ids` does not hold.
std::string suffixed_id(const std::string& base, const ElementRecordTable& ids,
                        IdSuffixHints& hints);

}  // namespace uiad
