#include "textservice/tsf/service_hooks.h"

namespace {

TextServiceHooks defaultHooks = {};
const TextServiceHooks* hooks = &defaultHooks;
const TextServiceSeams kRealSeams = {};
const TextServiceSeams* seams = &kRealSeams;

}  // namespace

const TextServiceHooks& ServiceHooks() { return *hooks; }
void SetServiceHooks(const TextServiceHooks* h) { hooks = h ? h : &defaultHooks; }
TextServiceHooks& DefaultServiceHooks() { return defaultHooks; }
const TextServiceSeams& ServiceSeams() { return *seams; }
void SetServiceSeams(const TextServiceSeams* s) { seams = s ? s : &kRealSeams; }
