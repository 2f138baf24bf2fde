#include "runtime/ui/native/kx_choice_gadget_functions.h"

#include "platform/objc/message_send.h"

#include <algorithm>
#include <mutex>

int64_t KXChoiceGadgetFunctions::AddGadgetItem(int32_t position, NSString* text, id, int32_t) {
    NSControl* pop_up = control();
    if (!pop_up) return -1;
    const NSInteger count = msg_send<NSInteger>(pop_up, "numberOfItems");
    const NSInteger index = position < 0 ? count : std::min<NSInteger>(position, count);
    msg_send<void>(pop_up, "insertItemWithTitle:atIndex:", text, index);
    return index;
}

void KXChoiceGadgetFunctions::RemoveGadgetItem(int32_t position) {
    if (NSControl* pop_up = control())
        msg_send<void>(pop_up, "removeItemAtIndex:", NSInteger{position});
}

void KXChoiceGadgetFunctions::ClearGadgetItems() {
    if (NSControl* pop_up = control()) msg_send<void>(pop_up, "removeAllItems");
}

int64_t KXChoiceGadgetFunctions::CountGadgetItems() {
    NSControl* pop_up = control();
    return pop_up ? int64_t{msg_send<NSInteger>(pop_up, "numberOfItems")} : 0;
}

void KXChoiceGadgetFunctions::SetGadgetState(int64_t state) {
    if (NSControl* pop_up = control())
        msg_send<void>(pop_up, "selectItemAtIndex:", static_cast<NSInteger>(state));
}

int64_t KXChoiceGadgetFunctions::GetGadgetState() {
    NSControl* pop_up = control();
    return pop_up ? int64_t{msg_send<NSInteger>(pop_up, "indexOfSelectedItem")} : -1;
}

NSString* KXChoiceGadgetFunctions::GetGadgetText() {
    NSControl* pop_up = control();
    NSString* title = pop_up ? msg_send<NSString*>(pop_up, "titleOfSelectedItem") : nil;
    return title ? title : NSString::make(u"").autorelease();
}

NSString* KXChoiceGadgetFunctions::GetGadgetItemText(int32_t position, int32_t) {
    NSControl* pop_up = control();
    if (!pop_up) return NSString::make(u"").autorelease();
    return msg_send<NSString*>(pop_up, "itemTitleAtIndex:", NSInteger{position});
}

void register_kx_choice_gadget_functions_class() {
    register_kx_gadget_functions_class();
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXChoiceGadgetFunctions>(
            "KXChoiceGadgetFunctions", "KXGadgetFunctions",
            {
                instance_method<&KXChoiceGadgetFunctions::AddGadgetItem>(
                    "AddGadgetItem:text:image:flags:"),
                instance_method<&KXChoiceGadgetFunctions::RemoveGadgetItem>("RemoveGadgetItem:"),
                instance_method<&KXChoiceGadgetFunctions::ClearGadgetItems>("ClearGadgetItems"),
                instance_method<&KXChoiceGadgetFunctions::CountGadgetItems>("CountGadgetItems"),
                instance_method<&KXChoiceGadgetFunctions::SetGadgetState>("SetGadgetState:"),
                instance_method<&KXChoiceGadgetFunctions::GetGadgetState>("GetGadgetState"),
                instance_method<&KXChoiceGadgetFunctions::GetGadgetText>("GetGadgetText"),
                instance_method<&KXChoiceGadgetFunctions::GetGadgetItemText>(
                    "GetGadgetItemText:column:"),
            });
    });
}
