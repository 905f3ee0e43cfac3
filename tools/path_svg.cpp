#include "tools/path_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <utility>

namespace {

const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};
constexpr int kPanelSize = 440;
constexpr int kPanelTop = 80;
constexpr int kPanelLeft[2] = {50, 550};
constexpr int kWidth = 1040;

std::string format(const char* pattern, double a) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a);
    return text;
}

// Names come from the file: anything but printable ASCII becomes '?', and
// the XML specials are escaped.
std::string escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += (c < 0x20 || c >= 0x7F) ? '?' : char(c); break;
        }
    }
    return out;
}

bool finite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Maps one projection of the scene (x across, a second axis up) into a
// square panel, with the same scale on both axes.
struct Panel {
    int left = 0;
    float (*vertical)(Vec3) = nullptr;
    double minX = 0, maxX = 0, minV = 0, maxV = 0;
    double scale = 1, offsetX = 0, offsetV = 0;

    void fit(const std::vector<Vec3>& points) {
        bool any = false;
        for (Vec3 p : points) {
            if (!finite(p)) continue;
            const double v = vertical(p);
            if (!any) {
                minX = maxX = p.x;
                minV = maxV = v;
                any = true;
            }
            minX = std::min(minX, double(p.x));
            maxX = std::max(maxX, double(p.x));
            minV = std::min(minV, v);
            maxV = std::max(maxV, v);
        }
        // A single point, or a path along one axis, still needs an extent.
        double spanX = std::max(maxX - minX, 1e-6);
        double spanV = std::max(maxV - minV, 1e-6);
        if (maxX - minX < 1e-6 && maxV - minV < 1e-6) spanX = spanV = 1.0;
        const double inner = kPanelSize - 40.0;
        scale = std::min(inner / spanX, inner / spanV);
        offsetX = left + kPanelSize / 2.0 - (minX + maxX) / 2.0 * scale;
        offsetV = kPanelTop + kPanelSize / 2.0 + (minV + maxV) / 2.0 * scale;
    }
    double px(Vec3 p) const { return offsetX + p.x * scale; }
    double py(Vec3 p) const { return offsetV - double(vertical(p)) * scale; }
    std::string point(Vec3 p) const { return format("%.2f", px(p)) + "," + format("%.2f", py(p)); }
};

float axisY(Vec3 v) { return v.y; }
float axisZ(Vec3 v) { return v.z; }

// A path through the samples; a sample that is not a finite point breaks it.
std::string polyline(const Panel& panel, const std::vector<Vec3>& samples, const char* colour, bool dashed) {
    std::string d;
    bool pen = false;
    for (Vec3 p : samples) {
        if (!finite(p)) {
            pen = false;
            continue;
        }
        d += (pen ? " L" : " M") + panel.point(p);
        pen = true;
    }
    if (d.empty()) return "";
    // A dot at the first frame, so that a camera that does not move shows as well.
    std::string start;
    for (Vec3 p : samples) {
        if (!finite(p)) continue;
        start = "  <circle cx=\"" + format("%.2f", panel.px(p)) + "\" cy=\"" + format("%.2f", panel.py(p)) +
                "\" r=\"2.5\" fill=\"" + colour + "\"/>\n";
        break;
    }
    return std::string("  <path fill=\"none\" stroke=\"") + colour + "\" stroke-width=\"1.5\"" +
           (dashed ? " stroke-dasharray=\"6,4\"" : "") + " d=\"" + d.substr(1) + "\"/>\n" + start;
}

std::string panelSvg(const PathPlot& plot, Panel& panel, const char* title, const char* verticalName) {
    std::vector<Vec3> all;
    for (const CameraPathSamples& camera : plot.cameras) {
        all.insert(all.end(), camera.positions.begin(), camera.positions.end());
        all.insert(all.end(), camera.targets.begin(), camera.targets.end());
    }
    for (const PathKey& key : plot.keys) all.push_back(key.value);
    panel.fit(all);

    const int l = panel.left;
    std::string s;
    s += "  <text x=\"" + std::to_string(l) + "\" y=\"" + std::to_string(kPanelTop - 8) +
         "\" font-size=\"15\" font-weight=\"bold\">" + title + "</text>\n";
    s += "  <rect x=\"" + std::to_string(l) + "\" y=\"" + std::to_string(kPanelTop) + "\" width=\"" +
         std::to_string(kPanelSize) + "\" height=\"" + std::to_string(kPanelSize) +
         "\" fill=\"#fafafa\" stroke=\"#888\"/>\n";
    // The extent of the drawn values, at the panel's edges.
    const int bottom = kPanelTop + kPanelSize;
    s += "  <text x=\"" + std::to_string(l) + "\" y=\"" + std::to_string(bottom + 16) +
         "\" font-size=\"11\" fill=\"#555\">x " + format("%.3f", panel.minX) + " to " + format("%.3f", panel.maxX) +
         ", " + verticalName + " " + format("%.3f", panel.minV) + " to " + format("%.3f", panel.maxV) + " (" +
         verticalName + " up)</text>\n";
    for (size_t c = 0; c < plot.cameras.size(); ++c) {
        const char* colour = kColours[c % (sizeof kColours / sizeof kColours[0])];
        s += polyline(panel, plot.cameras[c].positions, colour, false);
        s += polyline(panel, plot.cameras[c].targets, colour, true);
    }
    // Keys that fall on one spot of the panel share one marker and one label.
    std::map<std::pair<long, long>, std::string> labels;
    for (const PathKey& key : plot.keys) {
        if (!finite(key.value)) continue;
        std::string& label = labels[{std::lround(panel.px(key.value)), std::lround(panel.py(key.value))}];
        label += (label.empty() ? "" : ", ") + std::to_string(key.frame);
    }
    for (const auto& [spot, label] : labels) {
        const double x = double(spot.first);
        const double y = double(spot.second);
        s += "  <circle cx=\"" + format("%.0f", x) + "\" cy=\"" + format("%.0f", y) +
             "\" r=\"4\" fill=\"#fff\" stroke=\"#000\" stroke-width=\"1.5\"/>\n";
        s += "  <text x=\"" + format("%.0f", x + 6) + "\" y=\"" + format("%.0f", y - 6) + "\" font-size=\"11\">" +
             label + "</text>\n";
    }
    return s;
}

}  // namespace

std::string pathSvg(const PathPlot& plot) {
    const int legendTop = kPanelTop + kPanelSize + 44;
    const int height = legendTop + 20 * int(plot.cameras.size() + 1) + 10;
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) + "\" height=\"" +
         std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " + std::to_string(height) +
         "\" font-family=\"sans-serif\">\n";
    s += "  <rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    s += "  <text x=\"50\" y=\"30\" font-size=\"18\" font-weight=\"bold\">Camera paths</text>\n";
    std::string frames = plot.frames.empty() ? std::string("no frames")
                                             : "frames " + std::to_string(plot.frames.front()) + " to " +
                                                   std::to_string(plot.frames.back());
    s += "  <text x=\"50\" y=\"50\" font-size=\"12\" fill=\"#333\">" + escaped(plot.caption) + ", " + frames +
         "</text>\n";

    Panel top;
    top.left = kPanelLeft[0];
    top.vertical = axisY;
    s += panelSvg(plot, top, "Top view (x, y)", "y");
    Panel side;
    side.left = kPanelLeft[1];
    side.vertical = axisZ;
    s += panelSvg(plot, side, "Side view (x, z)", "z");

    int y = legendTop;
    for (size_t c = 0; c < plot.cameras.size(); ++c, y += 20) {
        const std::string colour = kColours[c % (sizeof kColours / sizeof kColours[0])];
        const std::string ys = std::to_string(y - 4);
        s += "  <line x1=\"50\" y1=\"" + ys + "\" x2=\"80\" y2=\"" + ys + "\" stroke=\"" + colour +
             "\" stroke-width=\"1.5\"/>\n";
        s += "  <text x=\"86\" y=\"" + std::to_string(y) + "\" font-size=\"12\">camera " + std::to_string(c) +
             " position</text>\n";
        s += "  <line x1=\"230\" y1=\"" + ys + "\" x2=\"260\" y2=\"" + ys + "\" stroke=\"" + colour +
             "\" stroke-width=\"1.5\" stroke-dasharray=\"6,4\"/>\n";
        s += "  <text x=\"266\" y=\"" + std::to_string(y) + "\" font-size=\"12\">camera " + std::to_string(c) +
             " target</text>\n";
    }
    s += "  <circle cx=\"65\" cy=\"" + std::to_string(y - 4) +
         "\" r=\"4\" fill=\"#fff\" stroke=\"#000\" stroke-width=\"1.5\"/>\n";
    s += "  <text x=\"86\" y=\"" + std::to_string(y) + "\" font-size=\"12\">" +
         (plot.keys.empty()
              ? std::string("no keys")
              : escaped(plot.keyCaption) + ", labelled with their frame numbers; a dot marks each path's first frame") +
         "</text>\n";
    s += "</svg>\n";
    return s;
}

bool writePathSvg(const PathPlot& plot, const std::string& fileName) {
    std::ofstream out(fileName, std::ios::binary);
    if (!out) return false;
    out << pathSvg(plot);
    out.close();
    return bool(out);
}
