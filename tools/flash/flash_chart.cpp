#include "tools/flash/flash_chart.h"

#include <algorithm>
#include <cstdio>

#include "tools/flash/flash_rule.h"

namespace {

constexpr double kWidth = 960.0;
constexpr double kLeft = 56.0;
constexpr double kRight = 940.0;
constexpr double kTop = 84.0;
constexpr double kBottom = 320.0;
constexpr double kBandHeight = 10.0;
const char* const kColours[] = {"#d9480f", "#1971c2", "#2f9e44", "#862e9c"};

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

}  // namespace

std::string flashChartSvg(const std::vector<ChartShow>& shows, const Timing& timing, const std::string& caption) {
    // The axis holds what is plotted: each frame's worst window, general or red.
    int most = 2 * (flash_rule::kMostFlashes + 2);
    for (const ChartShow& show : shows)
        for (int transitions : show.tally->frameTransitions()) most = std::max(most, transitions);
    // The flashes' axis in steps of 5.
    const int top = (most / 2 + 4) / 5 * 5;
    const double end = timing.end();
    auto x = [&](double t) { return kLeft + (kRight - kLeft) * t / end; };
    auto y = [&](double flashes) { return kBottom - (kBottom - kTop) * flashes / top; };
    const double height = kBottom + 24.0 + kBandHeight * 1.6 * double(shows.size()) + 12.0;

    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(kWidth) + "\" height=\"" +
                      number(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + number(kLeft) + "\" y=\"20\" font-size=\"15\">Flashes per second along the show</text>\n";
    svg += "<text x=\"" + number(kLeft) + "\" y=\"38\" fill=\"#555\">" + escaped(caption) + "</text>\n";
    // The segments, numbered over the plot.
    for (int s = 1; s <= schedule::kSegmentCount; ++s) {
        const double a = x(timing.segmentStart(s));
        const double b = x(timing.segmentEnd(s));
        svg += "<line x1=\"" + number(b) + "\" y1=\"" + number(kTop) + "\" x2=\"" + number(b) + "\" y2=\"" +
               number(kBottom) + "\" stroke=\"#ddd\"/>\n";
        svg += "<text x=\"" + number((a + b) / 2) + "\" y=\"" + number(kTop - 6) +
               "\" text-anchor=\"middle\" fill=\"#888\" font-size=\"10\">" + std::to_string(s) + "</text>\n";
    }
    for (int v = 0; v <= top; v += 5) {
        svg += "<text x=\"" + number(kLeft - 6) + "\" y=\"" + number(y(v) + 4) + "\" text-anchor=\"end\">" +
               std::to_string(v) + "</text>\n";
    }
    for (int t = 0; t <= int(end); t += 10) {
        svg += "<text x=\"" + number(x(t)) + "\" y=\"" + number(kBottom + 16) + "\" text-anchor=\"middle\">" +
               std::to_string(t) + (t == 0 ? " s" : "") + "</text>\n";
    }
    svg += "<line x1=\"" + number(kLeft) + "\" y1=\"" + number(kBottom) + "\" x2=\"" + number(kRight) + "\" y2=\"" +
           number(kBottom) + "\" stroke=\"black\"/>\n";
    const double rule = y(flash_rule::kMostFlashes);
    svg += "<line x1=\"" + number(kLeft) + "\" y1=\"" + number(rule) + "\" x2=\"" + number(kRight) + "\" y2=\"" +
           number(rule) + "\" stroke=\"black\" stroke-dasharray=\"6 4\"/>\n";
    svg += "<text x=\"" + number(kRight) + "\" y=\"" + number(rule - 5) + "\" text-anchor=\"end\">the rule: at most " +
           std::to_string(flash_rule::kMostFlashes) + " flashes in any second</text>\n";

    double legend = kRight;
    for (size_t i = shows.size(); i-- > 0;) {
        const ChartShow& show = shows[i];
        const char* colour = kColours[i % std::size(kColours)];
        // Each frame's worst window, as steps.
        std::string points;
        const std::vector<double>& times = show.tally->frameTimes();
        const std::vector<int>& transitions = show.tally->frameTransitions();
        double lastY = -1.0;
        for (size_t k = 0; k < times.size(); ++k) {
            const double py = y(transitions[k] / 2.0);
            if (py == lastY && k + 1 < times.size()) continue;
            if (lastY >= 0.0) points += number(x(times[k])) + "," + number(lastY) + " ";
            points += number(x(times[k])) + "," + number(py) + " ";
            lastY = py;
        }
        svg += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"1.5\" points=\"" +
               points + "\"/>\n";
        // The harmful patterns, a band each under the axis.
        const double band = kBottom + 24.0 + kBandHeight * 1.6 * double(i);
        for (const FlashTally::Stretch& s : show.tally->patternStretches()) {
            if (!show.tally->harmful(s)) continue;
            const double from = x(s.begin);
            const double to = x(s.begin + double(s.frames) / show.tally->fps());
            svg += "<rect x=\"" + number(from) + "\" y=\"" + number(band) + "\" width=\"" + number(to - from) +
                   "\" height=\"" + number(kBandHeight) + "\" fill=\"" + colour + "\"/>\n";
        }
        svg += "<text x=\"" + number(kLeft - 6) + "\" y=\"" + number(band + kBandHeight - 1) +
               "\" text-anchor=\"end\" font-size=\"10\" fill=\"" + colour + "\">pattern</text>\n";
        const std::string label = show.name;
        legend -= 8.0 * double(label.size()) + 28.0;
        svg += "<rect x=\"" + number(legend) + "\" y=\"" + number(kTop - 34) + "\" width=\"14\" height=\"4\" fill=\"" +
               colour + "\"/>\n";
        svg += "<text x=\"" + number(legend + 18) + "\" y=\"" + number(kTop - 28) + "\">" + escaped(label) +
               "</text>\n";
    }
    svg += "</svg>\n";
    return svg;
}
