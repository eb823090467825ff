#include "documents/left_out_chunks.h"

#include "documents/files.h"

bool TLeftOutChunks::mark(std::uint32_t id, Reason reason) {
  if (id >= reasons_.size()) {
    reasons_.resize(std::size_t{id} + 1, Reason::kKept);
    marked_.resize(std::size_t{id} + 1, false);
  }
  if (marked_[id]) return false;
  reasons_[id] = reason;
  marked_[id] = true;
  ++count_;
  return true;
}

std::int32_t TLeftOutChunks::addTemplate(const TVocabulary& vocabulary) {
  std::int32_t added = 0;
  vocabulary.forEachId([&](std::uint32_t id, std::int32_t) {
    if (mark(id, Reason::kTemplate)) ++added;
  });
  return added;
}

std::int32_t TLeftOutChunks::addCommon(const TFiles& files, std::int32_t maxDocuments) {
  if (maxDocuments <= 0 || files.count() <= maxDocuments) return 0;
  // The number of documents holding each chunk, by id.
  std::vector<std::int32_t> holders(files.dictionary().size(), 0);
  for (std::int32_t d = 0; d < files.count(); ++d) {
    const TVocabulary* vocabulary = files.get(d)->vocabulary();
    if (!vocabulary) continue;
    vocabulary->forEachId([&](std::uint32_t id, std::int32_t) {
      if (id < holders.size()) ++holders[id];
    });
  }
  std::int32_t added = 0;
  for (std::size_t id = 0; id < holders.size(); ++id) {
    if (holders[id] > maxDocuments && mark(static_cast<std::uint32_t>(id), Reason::kCommon)) {
      ++added;
    }
  }
  return added;
}

std::int32_t TLeftOutChunks::removeFrom(TVocabulary& vocabulary) const {
  return count_ == 0 ? 0 : vocabulary.removeChunkIds(marked_);
}
