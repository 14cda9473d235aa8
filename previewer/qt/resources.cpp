#include "previewer/qt/resources.h"

#include <QtCore/qglobal.h>

// Outside any namespace, as the resource initialiser requires.
void initPreviewerResources() {
    Q_INIT_RESOURCE(previewer);
}
