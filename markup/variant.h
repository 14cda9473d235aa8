#pragma once

namespace kestrane {

// The add-on and the previewer run one engine whose passes differ in a few rules; each pass
// takes the variant it runs as.
enum class Variant { AddOn, Previewer };

}  // namespace kestrane
