// The main window's layout, which the picture widget maps the pointer through: panel width,
// margins around the canvas, menu and status bar heights. The window is the canvas plus 108 x 48;
// canvas pixel (0, 0) is at window position (WB + WW/2, HM + HH/2).
#pragma once

constexpr int WB = 100, WW = 8, HH = 8, HM = 20, HS = 20;
constexpr int CANVAS_X = 104, CANVAS_Y = 24;
