// What the VST 2 editor needs of the plug-in frame around it: the host's
// identity, the plug-in's texts, and the editor's size towards the host.
// SPlugin implements it; the editor reaches the frame through nothing else.
#pragma once

class SIEditorFrame {
public:
    // The host's vendor and product strings, each into 128 zeroed bytes.
    virtual void HostStrings(char* vendor, char* product) = 0;
    virtual int HostVendorVersion() = 0;
    // Null until the first resume.
    virtual const char* EffectName() const = 0;
    virtual const char* PluginDirectory() const = 0;
    // Records the editor's size for effEditGetRect.
    virtual void SetEditorRect(int width, int height) = 0;
    // Whether the host sizes its window itself when asked to.
    virtual bool HostSizesWindow() = 0;
    // Asks the host to size its window; true when it did.
    virtual bool SizeHostWindow(int width, int height) = 0;

protected:
    ~SIEditorFrame() = default;
};
