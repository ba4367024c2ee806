#pragma once
// The loop shared by the decoders whose library is called with input and
// output space (zlib's inflate, bzip2, LZMA): pieces of input from the source,
// pieces of output to the sink, until the stream ends, is damaged, or stalls
// at the end of the data.

#include "DecodeMemory.h"
#include "Decoders.h"

namespace zl {

enum class StepResult { kMore, kEnd, kDamaged, kNoMemory };

class IDecodeStep {
public:
    virtual ~IDecodeStep() = default;
    // Decodes from `in` into `out`, advancing both and lowering the counts.
    virtual StepResult Step(const uint8_t*& in, size_t& inLeft, uint8_t*& out, size_t& outLeft) = 0;
};

// `memory` is the decoder's: it tells a refusal of the budget from the
// system running out.
ZipResult RunDecodeLoop(IDecodeSource& source, IDecodeSink& sink, std::vector<uint8_t>& buffer, size_t piece,
                        std::string& why, IDecodeStep& step, const CDecodeMemory& memory);

}  // namespace zl
