// The Java driver (device 701): the source of an applet class whose paint
// method redraws the plot with drawLine, setColor, fillRect and clearRect on
// a canvas of the output size. javac refuses methods of more than 64 KB of
// bytecode, so every 2,000 statements paint goes on in a further method.
#pragma once
#include <string>

#include "output/driver.h"

namespace kal {

class JavaDriver : public Driver {
public:
    static constexpr int STATEMENTS_PER_METHOD = 2000;

    void open(Context& ctx) override;
    void erase(Context& ctx) override;
    int close(Context& ctx) override;
    void move_draw(Context& ctx, double x, double y, int pen) override;
    void colour(Context& ctx, int value) override;
    bool fill_rect(Context& ctx, double x1, double y1, double x2, double y2, int value) override;

private:
    // Opens the next paint method when this one is full.
    void statement();
    void set_colour(Context& ctx, int value);

    int x_ = 0, y_ = 0;      // the stored pen position
    int statements_ = 0;     // in the current method
    int methods_ = 0;        // paint methods after the first
};

// The class of an output file: its name after the last "/", "\" or ":", cut
// at the first ".", made a Java identifier (other characters become "_", a
// leading digit, a keyword or a class the applet names itself, such as
// Applet or Color, gets "_" in front). `is_public` tells whether
// the class may be public, i.e. the file is named after it.
std::string java_class_name(const std::string& file_name, bool& is_public);

}  // namespace kal
