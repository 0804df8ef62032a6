#pragma once

namespace corvane {

// The deployment's own services 1 and 2, fixed when the program is built. Each program links the
// values it was built for (see cmake/BuiltinServices.cmake).
struct BuiltinService {
    const char16_t* name;
    const char16_t* ip;
    const char16_t* altIp;
    int port;
    int maxChars;
    int splitChars;
    bool reverseOrder;
    const char16_t* beforePage; // a command line sent before every PAGE; empty: none
};

struct BuiltinServices {
    BuiltinService service1;
    BuiltinService service2;
};

extern const BuiltinServices builtinServices;

} // namespace corvane
