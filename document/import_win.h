// Opening and adding a disk image of another format: the file read whole,
// its disk read (the geometry asked for when its size leaves it open), the
// loss question when D88 cannot hold everything, and the disk appended as
// one D88 image.
#ifndef ORVANEL_DOCUMENT_IMPORT_WIN_H
#define ORVANEL_DOCUMENT_IMPORT_WIN_H

#include <windows.h>

#include <cstdint>

#include "formats/format_error.h"

// Reads the file at `path` as an image in `format` and makes a new block
// of oldBase's oldSize bytes followed by its disk as a D88 image (*added
// bytes). `name` is the file as the messages and questions name it;
// `lossQuestion` the question (its %s the name) asked before anything is
// lost. 1 when the block was made; 0 when the user declined or it failed
// (said in a message). *opened (when given) tells whether the file was
// opened at all.
int ReadConvertedImage(HWND mainWindow, const char* path, const char* name, ImageFormat format,
                       const char* lossQuestion, const uint8_t* oldBase, uint32_t oldSize,
                       uint8_t** block, uint32_t* added, bool* opened = nullptr);

#endif
