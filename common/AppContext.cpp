#include "common/AppContext.h"

AppEvents& AppEvents::instance()
{
    static AppEvents events;
    return events;
}
