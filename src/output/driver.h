// The interface between the device-independent primitives and one output
// format. The base class accepts every primitive and draws nothing: formats
// without a driver of their own still get their file and never fail.
#pragma once
#include <memory>

namespace kal {

struct Context;

class Driver {
public:
    virtual ~Driver() = default;
    // After the output file is open: device factor, colour depth, header.
    virtual void open(Context&) {}
    // A device point, already converted, with pen code 3 (move) or 2 (draw).
    virtual void move_draw(Context&, double, double, int) {}
    // A colour value made current (index 0..255 or 0x01BBGGRR).
    virtual void colour(Context&, int) {}
    virtual void new_page(Context&) {}
    virtual void erase(Context&) {}
    // Ends the output; returns the result code of kalfin (1 when an output
    // file was written, 0 otherwise).
    virtual int close(Context&) { return 1; }
};

std::unique_ptr<Driver> make_driver(int device);

}  // namespace kal
