#include "platform/display/gtk/GtkMessageBox.h"

#include "platform/display/DisplayBackend.h"
#include "platform/rtl/String.h"

namespace display {

namespace {

const char* ButtonLabel(TMessageBoxAnswer answer) {
    switch (answer) {
    case mbaOk:
        return "OK";
    case mbaCancel:
        return "Cancel";
    case mbaAbort:
        return "_Abort";
    case mbaRetry:
        return "_Retry";
    case mbaIgnore:
        return "_Ignore";
    case mbaYes:
        return "_Yes";
    case mbaNo:
        return "_No";
    case mbaTryAgain:
        return "_Try Again";
    case mbaContinue:
        return "_Continue";
    case mbaNone:
        break;
    }
    return "OK";
}

GtkMessageType MessageTypeOf(TMessageBoxIcon icon) {
    switch (icon) {
    case mbiError:
        return GTK_MESSAGE_ERROR;
    case mbiQuestion:
        return GTK_MESSAGE_QUESTION;
    case mbiWarning:
        return GTK_MESSAGE_WARNING;
    case mbiInformation:
        return GTK_MESSAGE_INFO;
    case mbiNone:
        break;
    }
    return GTK_MESSAGE_OTHER;
}

} // namespace

TMessageBoxAnswer RunGtkMessageBox(const TMessageBoxRequest& request, GtkWindow* owner) {
    const std::string text = rtl::StringToUtf8(request.Text);
    GtkWidget* dialog = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, MessageTypeOf(request.Icon),
                                               GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), rtl::StringToUtf8(request.Caption).c_str());
    // A box without an owner still has to be seen above the program's windows.
    if (!owner)
        gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    const std::vector<TMessageBoxAnswer> answers = MessageBoxAnswers(request.Buttons);
    for (TMessageBoxAnswer answer : answers)
        gtk_dialog_add_button(GTK_DIALOG(dialog), ButtonLabel(answer), static_cast<gint>(answer));
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), static_cast<gint>(answers[request.DefaultButton]));
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response > 0 ? static_cast<TMessageBoxAnswer>(response) : mbaNone;
}

} // namespace display
