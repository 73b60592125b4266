// A PNG decoded ahead, on another processor, while a run does its slow start-up: loading the
// drawing module, fontconfig and the watermark's font or picture before the first file.
#pragma once

#include "engine/bitmap.h"

#include <string>

namespace millconv {

// Starts decoding path on a helper thread. Only a decode the streamed decoder finishes without
// a word is kept: any other file is decoded again in its turn, with its messages.
void PrefetchPng(const std::string& path);
// The bitmap decoded ahead for path (waiting for it), given once; empty for any other path
// or when nothing was decoded ahead.
Bitmap TakePrefetchedPng(const std::string& path);
// True when a file decoded ahead is ready to be taken: its decode is over and succeeded.
bool PrefetchedPngReady();
// Waits for a decode nobody took and frees it.
void DropPrefetchedPng();

} // namespace millconv
