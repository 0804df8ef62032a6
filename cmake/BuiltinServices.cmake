# Build-time values of services 1 and 2. A site builds with its own gateways, for example
#   cmake -S . -B build -DCORVANE_SERVICE1_IP=snpp.example.org -DCORVANE_SERVICE2_IP=snpp2.example.org

set(CORVANE_SERVICE1_NAME "CORVANE" CACHE STRING "Name of paging service 1 (at most 20 characters)")
set(CORVANE_SERVICE1_IP "localhost" CACHE STRING "Address text of service 1: host[,login id[,login password]]")
set(CORVANE_SERVICE1_ALTIP "" CACHE STRING "Alternate address text of service 1 (empty: none)")
set(CORVANE_SERVICE1_PORT "444" CACHE STRING "TCP port of service 1")
set(CORVANE_SERVICE2_NAME "CORVANE -ENCRY" CACHE STRING "Name of paging service 2; must end in ' -ENCRY'")
set(CORVANE_SERVICE2_IP "localhost" CACHE STRING "Address text of service 2: host[,login id[,login password]]")
set(CORVANE_SERVICE2_ALTIP "" CACHE STRING "Alternate address text of service 2 (empty: none)")
set(CORVANE_SERVICE2_PORT "444" CACHE STRING "TCP port of service 2")
foreach(n 1 2)
    set(CORVANE_SERVICE${n}_MAXCHARS "999" CACHE STRING
        "Most characters of a message that go to service ${n}; the rest is cut off (1 to 999)")
    set(CORVANE_SERVICE${n}_SPLITCHARS "999" CACHE STRING
        "Characters per PAGE transaction for service ${n} (1 to 999, at most MAXCHARS)")
    option(CORVANE_SERVICE${n}_REVERSE "Page the chunks of a long message to service ${n} last chunk first" OFF)
    set(CORVANE_SERVICE${n}_BEFORE_PAGE "" CACHE STRING
        "A command line sent to service ${n} before every PAGE, for example 'SITE JQUEUE YES' (empty: none)")
endforeach()

function(corvane_check_service_text var limit)
    set(value "${${var}}")
    string(LENGTH "${value}" length)
    if(length GREATER limit)
        message(FATAL_ERROR "${var} is ${length} characters long; at most ${limit} are allowed: '${value}'")
    endif()
    if(value MATCHES "[\"\\\\]" OR value MATCHES "[\r\n]")
        message(FATAL_ERROR "${var} must not contain quotes, backslashes or line breaks: '${value}'")
    endif()
    if(NOT value MATCHES "^[ -~]*$")
        message(FATAL_ERROR "${var} must be plain printable ASCII: '${value}'")
    endif()
endfunction()

foreach(n 1 2)
    corvane_check_service_text(CORVANE_SERVICE${n}_NAME 20)
    corvane_check_service_text(CORVANE_SERVICE${n}_IP 60)
    corvane_check_service_text(CORVANE_SERVICE${n}_ALTIP 60)
    if(NOT CORVANE_SERVICE${n}_PORT MATCHES "^[0-9]+$" OR CORVANE_SERVICE${n}_PORT GREATER 65535
       OR CORVANE_SERVICE${n}_PORT LESS 1)
        message(FATAL_ERROR "CORVANE_SERVICE${n}_PORT must be a port number from 1 to 65535: '${CORVANE_SERVICE${n}_PORT}'")
    endif()
    corvane_check_service_text(CORVANE_SERVICE${n}_BEFORE_PAGE 120)
    foreach(limit MAXCHARS SPLITCHARS)
        set(value "${CORVANE_SERVICE${n}_${limit}}")
        if(NOT value MATCHES "^[0-9]+$" OR value GREATER 999 OR value LESS 1)
            message(FATAL_ERROR "CORVANE_SERVICE${n}_${limit} must be a number from 1 to 999: '${value}'")
        endif()
    endforeach()
    if(CORVANE_SERVICE${n}_SPLITCHARS GREATER CORVANE_SERVICE${n}_MAXCHARS)
        message(FATAL_ERROR "CORVANE_SERVICE${n}_SPLITCHARS (${CORVANE_SERVICE${n}_SPLITCHARS}) must not be "
                            "greater than CORVANE_SERVICE${n}_MAXCHARS (${CORVANE_SERVICE${n}_MAXCHARS})")
    endif()
endforeach()
if(NOT CORVANE_SERVICE2_NAME MATCHES " -ENCRY$")
    message(FATAL_ERROR "CORVANE_SERVICE2_NAME must end in ' -ENCRY' (service 2 takes the encrypted form): '${CORVANE_SERVICE2_NAME}'")
endif()

# corvane_builtin_services(<target> <prefix>): a small library holding the values of the cache
# variables <prefix>1_NAME ... <prefix>2_PORT. Every program links exactly one such library.
# A test build may give a port as ENV:<variable>: the program then takes that service's port from
# the environment variable when it starts, so that its tests can page servers listening on ports
# the system handed out. Installed programs never do this.
function(corvane_builtin_services target prefix)
    set(SERVICES_PREAMBLE "")
    foreach(n 1 2)
        foreach(part NAME IP ALTIP PORT BEFORE_PAGE)
            set(SERVICE${n}_${part} "${${prefix}${n}_${part}}")
        endforeach()
        if(SERVICE${n}_PORT MATCHES "^ENV:([A-Z0-9_]+)$")
            set(SERVICE${n}_PORT "portFromEnvironment(\"${CMAKE_MATCH_1}\")")
            set(SERVICES_PREAMBLE [=[
#include <cstdlib>

namespace {

// The port a test handed over; 0 (no connection) when it gave none.
int portFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? std::atoi(value) : 0;
}

} // namespace
]=])
        endif()
        # Values a caller leaves unset take the defaults of a plain build.
        foreach(part_default MAXCHARS:999 SPLITCHARS:999)
            string(REPLACE ":" ";" pd "${part_default}")
            list(GET pd 0 part)
            list(GET pd 1 default)
            set(SERVICE${n}_${part} "${${prefix}${n}_${part}}")
            if(SERVICE${n}_${part} STREQUAL "")
                set(SERVICE${n}_${part} ${default})
            endif()
        endforeach()
        # Numbers are checked as decimal and pasted into C++, where a leading zero would make
        # 0444 an octal 292: they go in without one.
        foreach(part PORT MAXCHARS SPLITCHARS)
            if(SERVICE${n}_${part} MATCHES "^[0-9]+$")
                math(EXPR SERVICE${n}_${part} "${SERVICE${n}_${part}}")
            endif()
        endforeach()
        if(${prefix}${n}_REVERSE)
            set(SERVICE${n}_REVERSE true)
        else()
            set(SERVICE${n}_REVERSE false)
        endif()
    endforeach()
    set(generated ${CMAKE_BINARY_DIR}/generated/${target}.cpp)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/builtinServices.cpp.in ${generated} @ONLY)
    add_library(${target} STATIC ${generated})
    target_link_libraries(${target} PUBLIC corvane_config)
endfunction()

# corvane_page_for_services(<target> <prefix> <dir>): corvane-page built with the services of the
# cache-style variables <prefix>1_NAME ... <prefix>2_PORT, as <build>/<dir>/corvane-page; for tests
# and benchmarks that need it to page servers of their own.
function(corvane_page_for_services target prefix dir)
    corvane_builtin_services(${target}_services ${prefix})
    add_executable(${target} ${PROJECT_SOURCE_DIR}/src/app/corvanePage.cpp)
    target_link_libraries(${target} PRIVATE corvane_cli corvane_core ${target}_services)
    # Such a build pages only the servers its test gives it: a site's /etc/corvane/services.ini on the
    # machine must not point it elsewhere.
    target_compile_definitions(${target} PRIVATE CORVANE_SYSTEM_SERVICES_FILE="")
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${dir}
                                               OUTPUT_NAME corvane-page)
endfunction()
