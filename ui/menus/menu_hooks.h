// The candidate window's menu seams, filled with the popup menus.
#pragma once
#include "ui/candidate/candidate_window.h"

// Sets the candidate-menu and function-menu slots of hooks; the other slots stay.
void FillMenuHooks(CandidateWindowHooks& hooks);
