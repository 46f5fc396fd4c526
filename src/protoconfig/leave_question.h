#pragma once

#include <QString>

class Messenger;
struct TConfigItem;

// The one question asked when the user leaves edits that were not saved: for another
// page, another camera, a cleared list or a closed window. It names the page and the
// camera, so that the answer is given knowing what is saved where; Cancel stays.
class LeaveQuestion final
{
public:
    enum Answer { Save, Discard, Stay };

    // "Camera Property Changed", the page and the camera, "Save the changes?".
    static QString text(const QString &page, const TConfigItem *camera);
    // "cam2 (192.168.0.52)", or the model and address of a camera without a host name.
    static QString cameraName(const TConfigItem &camera);
    static Answer ask(Messenger &messenger, const QString &page, const TConfigItem *camera);
};
