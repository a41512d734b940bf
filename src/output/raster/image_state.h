// Settings of the raster images and the pixel routines (context record).
#pragma once
#include <memory>
#include <string>

#include "core/export.h"
#include "core/state_part.h"

namespace kal {

struct Context;
class Raster;

struct ImageState {
    // Chosen before kalini and kept by it.
    int format = 0;                // imgfmt: 0 IND, 1 RGB, 2 BIL
    bool gif_transparent = false;  // gifmod
    int tiff_resolution = 100;     // tifmod: pixels per unit
    int tiff_unit = 2;             // 2 INCH, 3 CM
    bool antialias = false;        // aamode: raster devices draw smoothed pictures

    // Reset by kalini.
    int pixel_mode = 0;            // imgmod: pixel values as 0 indices, 1 RGB
    bool box_set = false;          // imgbox: embedded image rectangle, plot units
    int box_x = 0, box_y = 0, box_w = 0, box_h = 0;
    bool size_set = false;         // imgsiz: raster size of imgini on vector pages
    int size_w = 0, size_h = 0;
    bool clip_set = false;         // imgclp: window of the raster in image files
    int clip_x = 0, clip_y = 0, clip_w = 0, clip_h = 0;
    int tiff_org_x = 0, tiff_org_y = 0;  // tiforg
    bool tiff_win_set = false;     // tifwin: window of the file wtiff reads
    int tiff_win_x = 0, tiff_win_y = 0, tiff_win_w = 0, tiff_win_h = 0;
    bool file_box_set = false;     // filbox: window of incfil, plot units
    int file_box_x = 0, file_box_y = 0, file_box_w = 0, file_box_h = 0;

    // Image mode (imgini ... imgfin).
    bool active = false;
    bool own_raster = false;       // imgini made the raster (vector pages)
    // Pixels of the drawing raster per output pixel and side: the aamode
    // scale while a smoothed picture is drawn, else 1 (set when the device
    // opens).
    int pixel_scale = 1;

    // The page of the raster device that kalfin finished last, kept until
    // the next kalini for pngpage.
    std::shared_ptr<const Raster> finished_page;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

// What kalini and reset ALL restore (not the image mode itself).
void reset_image_settings(Context& ctx);
// reset "IMGC".
void reset_image_clip(Context& ctx);
// kalfin, before the output is closed: an image begun with imgini and not
// finished goes onto the page as imgfin would place it.
void finish_image_mode(Context& ctx);
// kalfin: ends image mode and frees the raster.
void release_raster(Context& ctx);
// kalfin of a raster device: its raster becomes the finished page.
void keep_finished_page(Context& ctx);
// The finished page as a PNG file in memory; false (out empty) when there
// is none, after a warning when writing fails.
KALVOR_INTERNAL bool finished_page_png(Context& ctx, std::string& out);

}  // namespace kal
