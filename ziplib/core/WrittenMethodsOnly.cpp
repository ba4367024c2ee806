// The decoders of the methods other tools write, left out: a program that
// only ever reads archives it wrote itself (stored and deflated entries) links
// this file and so carries neither Deflate64, bzip2 nor LZMA. An entry of such
// a method then reads as not supported, the way an unknown method does.

#include "Decoders.h"

namespace zl {

std::unique_ptr<IDecoder> MakeDeflate64Decoder(const DecodeParams&) { return nullptr; }
std::unique_ptr<IDecoder> MakeBzip2Decoder(const DecodeParams&) { return nullptr; }
std::unique_ptr<IDecoder> MakeLzmaDecoder(const DecodeParams&) { return nullptr; }

}  // namespace zl
