// The process's standard input and output as the program uses them: what each is connected to
// is learnt once, and the stream buffers, encoding and flushing are chosen from that.
#pragma once

#include "io/Buffers.h"
#include "io/LineEditor.h"
#include "io/Platform.h"
#include "io/WindowsConsole.h"

#include <istream>
#include <optional>
#include <ostream>

namespace io {

// Returns inBlocks when nobody waits at a prompt (input from a regular file, output to no
// terminal or console), else atLineEnds: a person at a terminal sees every line at once.
Flushing flushingFor(StreamKind input, StreamKind output);

// Standard input and output: a Windows console as characters, a person's terminal on both a
// line at a time through the line editor, anything else (a pipe, a file, one terminal) as
// bytes.
class StandardStreams {
public:
    StandardStreams();
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;

    // Return the streams to read and write; a failed read sets badbit, a failed write badbit.
    std::istream& in() { return input; }
    std::ostream& out() { return output; }
    // Returns the encoding the Japanese texts must be written in.
    Encoding encoding() const { return textEncoding; }
    // Writes all collected output; returns false if that or any earlier write failed.
    bool finish() { return outputBuffer.finish(); }
    // Return the error number of the failed read or write, or 0 while all have succeeded.
    int readError() const { return inputBuffer.error(); }
    int writeError() const { return outputBuffer.error(); }

private:
    // Returns the buffer that reads input of the given kind.
    InputBuffer& inputFor(StreamKind kind);
    Sink& sinkFor(StreamKind kind);

    const StreamKind inputKind;
    const StreamKind outputKind;
    // Decided before the first text is written, so that a session never mixes encodings.
    const Encoding textEncoding;
    // One member for each kind of output and input; only the inputs in use are made. The output
    // comes first, so that an input (a line editor showing the open line) may be given it.
    DescriptorSink descriptorSink;
#ifdef _WIN32
    WindowsConsoleSink consoleSink;
#endif
    OutputBuffer outputBuffer;
    std::optional<LineEditorInput> editorInput;
    std::optional<DescriptorInput> descriptorInput;
#ifdef _WIN32
    std::optional<WindowsConsoleInput> consoleInput;
#endif
    InputBuffer& inputBuffer;
    std::istream input;
    std::ostream output;
};

} // namespace io
