#pragma once

// Export macro of the host stand-in library (illsxmk_host).
#if defined(_WIN32)
#if defined(ILLSXMK_HOST_BUILDING)
#define SXHOST_API __declspec(dllexport)
#else
#define SXHOST_API __declspec(dllimport)
#endif
#else
#define SXHOST_API __attribute__((visibility("default")))
#endif
