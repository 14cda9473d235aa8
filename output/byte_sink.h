// Where converters put the bytes a printer gets, so that tests capture exactly those bytes.
#pragma once

#include <string>

namespace kestrane {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Appends `bytes` to the output: text, whose line feeds a text-mode stream stores as CR LF.
    virtual void write(const std::string& bytes) = 0;
    // Appends a command whose bytes must reach the printer as they are (a length byte may be 10).
    virtual void writeExact(const std::string& bytes) { write(bytes); }
};

// The stream as a printer gets it, in memory: text with its line feeds as CR LF, as the job's
// stream file stores them, and commands as they are.
class PrinterBytesSink : public ByteSink {
  public:
    void write(const std::string& bytes) override {
        // As textModeBytes does, straight into the stream: this runs once for every row.
        for (std::size_t from = 0; from < bytes.size();) {
            const std::size_t feed = bytes.find('\n', from);
            if (feed == std::string::npos) {
                bytes_.append(bytes, from, std::string::npos);
                break;
            }
            bytes_.append(bytes, from, feed - from).append("\r\n");
            from = feed + 1;
        }
    }
    void writeExact(const std::string& bytes) override { bytes_ += bytes; }
    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
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
