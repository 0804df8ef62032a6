#pragma once

namespace corvane::cli {

// How every command-line program ends, in every manual page: 0 it did all it was asked, 1 not
// everyone was paged or not every change was made (a refusal, a table that cannot be read, an
// interrupted job), 2 a usage error before anything was done.
enum class ExitStatus : int { Done = 0, NotEveryone = 1, Usage = 2 };

constexpr int code(ExitStatus status) {
    return static_cast<int>(status);
}

} // namespace corvane::cli
