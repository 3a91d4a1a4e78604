// Marks the component's calls as the library's only exported symbols.
#pragma once
#define JP_EXPORT extern "C" __attribute__((visibility("default")))
