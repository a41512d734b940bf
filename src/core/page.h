// Output device, page format, units, files and screen-window requests: the
// settings of the plotting life cycle.
#pragma once
#include <string>

namespace kal {

struct PageState {
    int device = 0;                 // 0 until metafl or kalini chooses one
    char device_key[5] = "";        // as given to metafl, upper case, <= 4 chars
    bool metafl_called = false;
    char format[5] = "DA4L";        // page format name, "PAGE" after page
    double extent_w = 2969;         // page size minus one, tenths of a mm
    double extent_h = 2099;
    int width = 0;                  // largest x and y in plot units (kalini)
    int height = 0;
    double units = 1.0;             // tenths of a mm per plot unit
    double scale = 1.0;             // sclfac
    int scaling_mode = 0;           // 0 DOWN, 1 FULL, 2 NONE
    int rotation_mode = 0;          // 0 COMI/LAND, 1 MOVI/PORT, 2 NONE
    int page_origin = 0;            // 0 TOP, 1 BOTT
    bool hw_page = false;           // hwpage given
    int hw_w = 0, hw_h = 0;         // tenths of a mm
    bool hw_origin = false;         // hworig given
    int hw_ox = 0, hw_oy = 0;       // as given; PostScript converts them
    int screen_mode = 4;            // 0 ERAS/NORE, 1 NOER, 2 REVE, 4 AUTO
    int background = 0;             // background mode in effect
    int first_background = -1;
    int win_request = 0;            // 0 default, 1 position and size, 2 size
    int req_x = 0, req_y = 0, req_w = 0, req_h = 0;
    int win_x = 0, win_y = 0, win_w = 0, win_h = 0;
    int window_mode = 0;            // FULL NOER NONE NOHO DELA NOMB
    int close_key = 0;              // NONE RETU ESCA
    int close_delay = 10;
    int file_mode = 0;              // 0 COUN, 1 DELE, 2 BREA
    int file_state = 0;             // 0 default, 1 setfil, 2 restored
    std::string file_name;          // output file in use
    std::string saved_name;         // setfil name kept for later cycles
    int finished = 0;               // 0 never, 1 kalfin done, -1 deleted
    int page_counter = 0;
    int origin_x = 0, origin_y = 0; // plot origin offset
    // Default axis system derived by kalini from the page.
    int axis_len_x = 0, axis_len_y = 0, axis_org_x = 0, axis_org_y = 0;
    bool pdf_compress = true;
    bool pdf_buffer = false;
    bool png_transparent = false;
};

}  // namespace kal
