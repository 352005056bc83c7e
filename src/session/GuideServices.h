#pragma once

class AccessibilityPort;
class WindowsPort;
class PermissionsPort;
class TextRecognitionEngine;
class ModelServer;
class Overlay;
class QSettings;

/// What the guide session works with, built once by the program (or a test) and passed in.
/// Every service outlives the model.
struct GuideServices
{
    AccessibilityPort& accessibility;
    WindowsPort& windows;
    PermissionsPort& permissions;
    TextRecognitionEngine& textEngine;
    ModelServer& modelServer;
    Overlay& overlay;
    QSettings& settings;
};
