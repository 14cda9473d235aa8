// Where converters put the bytes a printer gets, so that tests capture exactly those bytes.
#pragma once

#include <string>

namespace kestrane {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Appends `bytes` to the output.
    virtual void write(const std::string& bytes) = 0;
};

// Keeps every byte in memory.
class StringSink : public ByteSink {
  public:
    void write(const std::string& bytes) override { bytes_ += bytes; }
    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

}  // namespace kestrane
