// Under node the program sees the shell's environment (QV_SCALAR, QV_DUMP_... and the rest),
// as the native program does: emscripten's ENV starts empty otherwise.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  if (typeof process === 'object' && process.env) Object.assign(ENV, process.env);
});
