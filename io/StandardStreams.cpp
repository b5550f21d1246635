#include "io/StandardStreams.h"

namespace io {
namespace {

// The descriptors of standard input and output, the same in POSIX and in the Windows C runtime.
constexpr int standardInput = 0;
constexpr int standardOutput = 1;

bool isTerminal(StreamKind kind)
{
    return kind == StreamKind::terminal || kind == StreamKind::windowsConsole;
}

} // namespace

Flushing flushingFor(StreamKind input, StreamKind output)
{
    return input == StreamKind::file && !isTerminal(output) ? Flushing::inBlocks
                                                            : Flushing::atLineEnds;
}

StandardStreams::StandardStreams()
    : inputKind(streamKind(standardInput)),
      outputKind(streamKind(standardOutput)),
      textEncoding(encodingFor(outputKind)),
      descriptorSink(standardOutput),
      outputBuffer(sinkFor(outputKind), flushingFor(inputKind, outputKind)),
      inputBuffer(inputFor(inputKind)),
      input(&inputBuffer),
      output(&outputBuffer)
{
}

InputBuffer& StandardStreams::inputFor(StreamKind kind)
{
#ifdef _WIN32
    if (kind == StreamKind::windowsConsole) {
        return consoleInput.emplace();
    }
#endif
    if (kind == StreamKind::terminal && outputKind == StreamKind::terminal) {
        if (editorInput.emplace(outputBuffer, textEncoding == Encoding::utf8).start()) {
            return *editorInput;
        }
        editorInput.reset();
    }
    return descriptorInput.emplace(standardInput);
}

Sink& StandardStreams::sinkFor(StreamKind kind)
{
#ifdef _WIN32
    if (kind == StreamKind::windowsConsole) {
        return consoleSink;
    }
#endif
    static_cast<void>(kind);
    return descriptorSink;
}

} // namespace io
