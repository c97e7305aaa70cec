// A core file that reaches the window: the layer check must name each include.
#include "app/app_context.h"
#include "ui_form1.h"
#include <QMessageBox>
#include <QtGui/QFont>
