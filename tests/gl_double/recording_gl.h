// A recording stand-in for the OpenGL 1.1 and GLU entry points the core calls.
// Test and benchmark executables link it instead of libGL/libGLU: every call is
// logged with its arguments (enums and integers as exact doubles, float and
// pointer arguments expanded, pixel data as a digest), display-list and
// texture names are handed out from counters, and a test can compare the
// whole log or a slice of it with the sequence it expects.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace gldouble {

struct Call {
    Call() = default;
    Call(std::string callName, std::initializer_list<double> values = {});

    std::string name;
    std::vector<double> args;
    // FNV-1a of the pixel bytes of an upload, 0 for other calls.
    std::uint64_t digest = 0;

    bool operator==(const Call& other) const;
    bool operator!=(const Call& other) const { return !(*this == other); }
};

std::ostream& operator<<(std::ostream& out, const Call& call);
std::string describe(const Call& call);

// Clears the log and the last image and restarts the name counters.
void reset();
// With recording off the entry points do nothing but hand out names: a sink
// for benchmarks.
void setRecording(bool on);

const std::vector<Call>& calls();
std::size_t callCount();
std::size_t countOf(const std::string& name);
// Index of the first call named `name` at or after `from`, or npos.
std::size_t find(const std::string& name, std::size_t from = 0);
constexpr std::size_t npos = static_cast<std::size_t>(-1);
std::vector<Call> slice(std::size_t from, std::size_t count);
std::vector<Call> callsNamed(const std::string& name);

// The bytes of the latest glTexImage2D, glTexSubImage2D or gluBuild2DMipmaps.
const std::vector<unsigned char>& lastImage();
std::uint64_t digestOf(const void* data, std::size_t size);

// The next glGenLists calls return 0 while this is set, as a context out of
// list names would.
void setGenListsFails(bool fails);

} // namespace gldouble
