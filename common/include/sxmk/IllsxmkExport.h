#pragma once

// Export macro of libillsxmk.
#if defined(_WIN32)
#if defined(ILLSXMK_BUILDING)
#define ILLSXMK_API __declspec(dllexport)
#else
#define ILLSXMK_API __declspec(dllimport)
#endif
#else
#define ILLSXMK_API __attribute__((visibility("default")))
#endif
