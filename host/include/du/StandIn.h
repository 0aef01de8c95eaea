#pragma once

// Marks what the stand-in offers beyond the viewer's contract: test hooks, counters and
// conveniences (vector operators, container queries, extra constructors, ...). Tests, tools and
// consumers use them freely. The markup library must not: against the viewer's real SDK such a
// name would not compile, or its import would not load. The library's targets define
// SXHOST_REFUSE_STANDIN_EXTRAS, which turns every marked name into a deprecation warning that the
// library's flags make an error at each use.
//
// The stand-in's own header code (inline bodies, implicitly generated copies of a class with a
// marked member, templates) may use marked names: every host header brackets its declarations
// with SXHOST_HEADER_BEGIN and SXHOST_HEADER_END, which silence the warning inside the header
// only. A use written in the library's own files is still refused.
//
// The marker is the compiler's own attribute spelling rather than [[deprecated]], which may not
// follow another attribute (such as the export macro before a class name).
#define SXHOST_STANDIN_ONLY_TEXT \
    "not in the viewer's contract: the stand-in offers it to tests and tools only"
#if !defined(SXHOST_REFUSE_STANDIN_EXTRAS)
#define SXHOST_STANDIN_ONLY
#elif defined(__GNUC__) || defined(__clang__)
#define SXHOST_STANDIN_ONLY __attribute__((deprecated(SXHOST_STANDIN_ONLY_TEXT)))
#elif defined(_MSC_VER)
#define SXHOST_STANDIN_ONLY __declspec(deprecated(SXHOST_STANDIN_ONLY_TEXT))
#else
#define SXHOST_STANDIN_ONLY [[deprecated(SXHOST_STANDIN_ONLY_TEXT)]]
#endif

#if defined(__GNUC__) || defined(__clang__)
#define SXHOST_HEADER_BEGIN \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wdeprecated-declarations\"")
#define SXHOST_HEADER_END _Pragma("GCC diagnostic pop")
#elif defined(_MSC_VER)
#define SXHOST_HEADER_BEGIN __pragma(warning(push)) __pragma(warning(disable : 4996))
#define SXHOST_HEADER_END __pragma(warning(pop))
#else
#define SXHOST_HEADER_BEGIN
#define SXHOST_HEADER_END
#endif
