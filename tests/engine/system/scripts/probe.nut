// Records what the device natives answer, every frame, and tries indices out of range.
answers <- {};
function work() {
    while (true) {
        answers.keyboard <- inputGetDeviceKeyboard();
        answers.pad0 <- inputGetDevicePad(0);
        answers.pad1 <- inputGetDevicePad(1);
        answers.pad4 <- inputGetDevicePad(4);
        answers.padMinus <- inputGetDevicePad(-1);
        answers.keyCount <- inputGetDeviceButtonCount(0);
        answers.padCount <- inputGetDeviceButtonCount(1);
        answers.keyType <- inputGetDeviceType(0);
        answers.padType <- inputGetDeviceType(1);
        answers.missingType <- inputGetDeviceType(2);
        answers.key0 <- inputGetDeviceButtonState(0, 0);
        answers.pad1Button <- inputGetDeviceButtonState(1, 1);
        answers.keyUnassigned <- inputIsDeviceButtonInvalid(0, 1);
        answers.padUnassigned <- inputIsDeviceButtonInvalid(1, 2);
        answers.padAssigned <- inputIsDeviceButtonInvalid(1, 0);
        answers.args <- inputGetArgsVar();
        answers.badDevice <- inputGetDeviceButtonState(5, 0);
        answers.badButton <- inputGetDeviceButtonState(0, 16);
        answers.badInvalid <- inputIsDeviceButtonInvalid(-1, 0);
        answers.badCount <- inputGetDeviceButtonCount(7);
        inputSetButtonState(4, 0, 1.0);
        inputSetButtonState(0, -1, 1.0);
        inputSetButtonState(3, 15, 0.25);
        suspend(0);
    }
}
