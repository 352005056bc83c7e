// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AccessibilityPort;
class WindowsPort;
class PointerPort;
class PermissionsPort;
class TextRecognitionPort;
class ModelServerPort;
class OverlayPort;
class QSettings;

/// What the guide session works with, built once by the program (or a test) and passed in.
/// Every service outlives the model.
struct GuideServices
{
    AccessibilityPort& accessibility;
    WindowsPort& windows;
    PointerPort& pointer;
    PermissionsPort& permissions;
    TextRecognitionPort& textRecognition;
    ModelServerPort& modelServer;
    OverlayPort& overlay;
    QSettings& settings;
};
