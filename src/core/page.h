// Output device, page format, units, files and screen-window requests: the
// settings of the plotting life cycle.
#pragma once
#include <string>

#include "core/state_part.h"

namespace kal {

// The small modes of the life cycle, numbered as their keyword lists.
enum ScalingMode : int { SCALE_DOWN = 0, SCALE_FULL = 1, SCALE_NONE = 2 };
enum PageOrigin : int { ORIGIN_TOP = 0, ORIGIN_BOTTOM = 1 };
enum ScreenMode : int { SCREEN_ERASE = 0, SCREEN_NOERASE = 1, SCREEN_REVERSE = 2, SCREEN_AUTO = 4 };
enum WindowRequest : int { WINDOW_DEFAULT = 0, WINDOW_PLACED = 1, WINDOW_SIZED = 2 };
enum WindowMode : int {
    WINMODE_FULL, WINMODE_NOERASE, WINMODE_NONE, WINMODE_NOHOLD, WINMODE_DELAY, WINMODE_NOMSGBOX
};
enum CloseKey : int { CLOSE_NONE, CLOSE_RETURN, CLOSE_ESCAPE };
enum FileNameState : int { NAME_DEFAULT = 0, NAME_GIVEN = 1, NAME_RESTORED = 2 };
enum Finished : int { FINISHED_NEVER = 0, FINISHED_DONE = 1, FINISHED_DELETED = -1 };

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
    ScalingMode scaling_mode = SCALE_DOWN;
    int rotation_mode = 0;          // 0 COMI/LAND, 1 MOVI/PORT, 2 NONE
    PageOrigin page_origin = ORIGIN_TOP;
    bool hw_page = false;           // hwpage given
    int hw_w = 0, hw_h = 0;         // tenths of a mm
    bool hw_origin = false;         // hworig given
    int hw_ox = 0, hw_oy = 0;       // as given; PostScript converts them
    ScreenMode screen_mode = SCREEN_AUTO;
    int background = 0;             // background mode in effect
    int first_background = -1;
    WindowRequest win_request = WINDOW_DEFAULT;
    int req_x = 0, req_y = 0, req_w = 0, req_h = 0;
    int win_x = 0, win_y = 0, win_w = 0, win_h = 0;
    WindowMode window_mode = WINMODE_FULL;
    CloseKey close_key = CLOSE_NONE;
    int close_delay = 10;
    int file_mode = 0;              // FileMode (core/files.h): COUN, DELE, BREA
    FileNameState file_state = NAME_DEFAULT;
    std::string file_name;          // output file in use
    std::string saved_name;         // setfil name kept for later cycles
    Finished finished = FINISHED_NEVER;
    // The output the last kalfin finished, as its end protocol named it:
    // what symfil hands on or deletes.
    std::string finished_name;
    int finished_device = 0;
    int page_counter = 0;
    // A screen plot without a display writes its pages as PNG files: the
    // name a file device would take (kalini), and how many it wrote.
    std::string headless_name;
    int headless_files = 0;
    int origin_x = 0, origin_y = 0; // plot origin offset
    // Default axis system derived by kalini from the page.
    int axis_len_x = 0, axis_len_y = 0, axis_org_x = 0, axis_org_y = 0;
    bool pdf_compress = true;
    bool pdf_buffer = false;
    bool png_transparent = false;
    // CGM output: version 1 or 4, picture name ("" = "Picture n"), and
    // background colour 0..255; kalini keeps them.
    int cgm_version = 1;
    std::string cgm_picture;
    int cgm_background[3] = {255, 255, 255};
    // WMF output: the placeable header in front (wmfmod); kalini keeps it.
    bool wmf_placeable = false;

    static void reset(Context& ctx);
    static const ResetKeys reset_keys;
};

}  // namespace kal
