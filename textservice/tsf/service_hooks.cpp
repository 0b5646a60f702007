#include "textservice/tsf/service_hooks.h"

namespace {

const TextServiceHooks kNoHooks = {};
const TextServiceHooks* hooks = &kNoHooks;
const TextServiceSeams kRealSeams = {};
const TextServiceSeams* seams = &kRealSeams;

}  // namespace

const TextServiceHooks& ServiceHooks() { return *hooks; }
void SetServiceHooks(const TextServiceHooks* h) { hooks = h ? h : &kNoHooks; }
const TextServiceSeams& ServiceSeams() { return *seams; }
void SetServiceSeams(const TextServiceSeams* s) { seams = s ? s : &kRealSeams; }
