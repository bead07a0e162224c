// Loading SPI plug-ins: an image plug-in becomes a loader of the image-loader host, an archive
// plug-in an archive format of the file system (the program's g_imageLoaderHost and
// g_virtualFileSystem). Unloading goes through the hosts: type 5 of the image-loader host,
// type 3 of the file system.
#pragma once

#include <cstdint>
#include <string>

// 0 loaded; 1 the path does not resolve; 2 LoadLibraryA failed; 3 no GetPluginInfo; 4 the API
// version is neither "00IN" nor "00AM", or out of memory; -1 the plug-in's kind is not
// allowed; 5 its exports are incomplete or its host refused it (or is missing); 6 any other
// failure. After a failure neither host has changed and the DLL is unloaded again.
std::int32_t SpiLoadPlugin(const char* path, std::uint8_t archiveAllowed, std::uint8_t imageAllowed);

// Loads every *.SPI of the folder: the number that failed, or -1 when the folder does not
// resolve.
std::int32_t SpiScanFolder(const char* folder, std::uint8_t archiveAllowed, std::uint8_t imageAllowed);

// The extension list of a plug-in's file-name filter: "*.bmp;*.dib" gives "BMP", "DIB", each
// NUL-ended, then an empty name. Stars and dots go, letters are upper-cased, two-byte
// characters stay as they are.
std::string SpiFilterToExtensions(const std::string& filter);
