#!/usr/bin/env bash
# Plays the real program as a person does: on a private Xvfb display with the
# openbox window manager, only through the screen. Keys are held as a hand
# holds them (down, 120 ms, up), fast typing is `xdotool type --delay 0`,
# clicks go to screen positions, and every verdict comes from the pixels of
# screenshots. The fixtures are the test's own: Windows-1252 question files
# with typed, several-answer, all-answers and zone questions, pictures of one
# colour each (so the picture tells which question is on screen), a round
# file that fixes the order, and a broken question file.
#
# Usage: play.sh path/to/quillfin          the Linux program
#        play.sh --wine path/to/quillfin.exe  the Windows program under Wine
# E2E_KEEP=folder keeps the screenshot of a failed step there.
#
# Adding a step: write a function Step<Name> below that starts from the
# screen the previous step leaves (say so in its comment), drives the
# program with HoldKey/TapKey/TypeFast/ClickClient/Menu/ChooseFile and
# judges with ShowsWithin/NeverShows and the readers of Screen.sh (SchemeIs,
# PictureIs, BoxEmpty, TextLines, ...); then add its name to STEPS at the
# bottom. New fixtures go into WriteFixtures. A step that needs its own
# program run can call StartProgram and StopProgram itself.
set -uo pipefail
TEST_NAME="e2e"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/Desktop.sh"
source "$here/Screen.sh"

WINE_MODE=0
if [ "${1:-}" = "--wine" ]; then
    WINE_MODE=1
    TEST_NAME="e2e (Windows program under Wine)"
    shift
fi
program=$(realpath "${1:?usage: play.sh [--wine] path/to/program}")
[ -f "$program" ] || Fail "no program at $program"
WORK=$(mktemp -d)
SHOT="$WORK/shot.png"
# A round kept at exit goes into the test's own folder, never the user's.
export XDG_STATE_HOME="$WORK/state"
# So does the window's remembered place; each start takes a fresh one
# (StartProgram) unless a step keeps it on purpose.
export XDG_CONFIG_HOME="$WORK/config"
trap 'StopSession; rm -rf "$WORK"' EXIT

# The main window's title: "Quillfin" on the welcome screen; while a round
# runs it names the question file and counts the questions left.
readonly MAIN_TITLE='Quillfin( - .*)?'

# ---- fixtures ---------------------------------------------------------

# Picture colours: one per question, none of them a colour of the schemes.
readonly GOLD=200,160,40 TEAL=40,140,140 PLUM=140,60,140 OLIVE=120,130,40
readonly ZONE_LEFT=200,200,0 ZONE_RIGHT=100,100,100
# The big picture: 4000 x 3000, its lowest 300 rows in a colour of their own.
readonly BIG_TOP=60,120,200 BIG_BOTTOM=220,120,60
# The right half after marking: red and blue lightened, green darkened.
readonly ZONE_MARKED=177,75,177

# The long question (400 characters) and its information (300 characters).
readonly LONG_QUESTION="Which river runs north from the southern hills through seven green valleys past old mining towns and wide flat marshes where herons wait by the reeds until it meets the cold grey sea beyond the last harbour wall while fishing boats return with the tide and gulls follow them home across the open water before the winter storms arrive from the west and cover the northern coast with snow for estuaries"
readonly LONG_INFO="It rises in a lake among pine forests and falls over three rapids before it reaches the plain where farmers have drained the wetlands for barley and potatoes since the old times and built dykes against the spring floods that come when the snow melts in the mountains far to the south and its ice melts"

# A 24-bit BMP of `width` x 100 pixels: the left half one colour, the right
# half another (the same when only one is given).
Bmp() {
    local file="$1" width="$2" left="$3" right="${4:-$3}"
    convert -size "$((width / 2))x100" "xc:rgb($left)" -size "$((width / 2))x100" "xc:rgb($right)" \
        +append -type TrueColor "BMP3:$file" || Fail "cannot write $file"
}

# Writes Windows-1252 text with CR LF line ends from a printf format.
Cp1252() { printf "$2" | sed 's/$/\r/' >"$1"; }

WriteFixtures() {
    mkdir -p "$WORK/quiz"
    local q="$WORK/quiz"
    Bmp "$q/gold.bmp" 200 "$GOLD"
    Bmp "$q/teal.bmp" 200 "$TEAL"
    Bmp "$q/plum.bmp" 200 "$PLUM"
    Bmp "$q/olive.bmp" 200 "$OLIVE"
    Bmp "$q/zone.bmp" 200 "$ZONE_LEFT" "$ZONE_RIGHT"
    Bmp "$q/zone-mask.bmp" 200 0,0,0 255,0,0

    # One typed question whose answer has a letter of Windows-1252 (ä).
    Cp1252 "$q/one.txt" '\xa4Q "Which town is this?"\n\xa4P "olive.bmp"\n\xa4A "G\xe4vle"\n\xa4E\n'

    # The round: a several-answer question, an all-answers question, a
    # one-answer question and a zone question, asked in that order.
    Cp1252 "$q/quiz.txt" '\xa4Q "Name a Nordic capital."\n\xa4P "gold.bmp"\n\xa4A "Oslo", "Stockholm", "Helsinki"\n\xa4E\n
\xa4Q "Name both rivers, please"\n\xa4P "teal.bmp"\n\xa4A "Mississippi-Missouri" "Po"\n\xa4F alla\n\xa4E\n
\xa4Q "Capital of Sweden?"\n\xa4P "plum.bmp"\n\xa4A "Stockholm"\n\xa4E\n
\xa4Q "Click the grey half."\n\xa4P "zone.bmp"\n\xa4A\n\xa4Z "zone-mask.bmp"\n\xa4F zc red\n\xa4E\n'
    # A question of 400 characters with a picture of 480 x 360 whose wrong
    # answer's feedback lists five answers and 300 characters of information.
    convert -size 480x360 "xc:rgb($TEAL)" -type TrueColor "BMP3:$q/wide.bmp" || Fail "cannot write $q/wide.bmp"
    Cp1252 "$q/long.txt" "\xa4Q \"$LONG_QUESTION\"\n\xa4P \"wide.bmp\"\n\xa4A \"Nile\", \"Ob\", \"Lena\", \"Mackenzie\", \"Yenisei\"\n\xa4I \"$LONG_INFO\"\n\xa4E\n"
    # The zone question alone, for the keyboard.
    Cp1252 "$q/zone-only.txt" '\xa4Q "Aim at the grey half."\n\xa4P "zone.bmp"\n\xa4A\n\xa4Z "zone-mask.bmp"\n\xa4F zc red\n\xa4E\n'
    printf '%s\r\n' "qfile: \"$(NativePath "$q/quiz.txt")\"" 'sfile: "round.qfr"' 'qantal: 4' \
        'Q: 1 Stat: 0' 'Q: 2 Stat: 0' 'Q: 3 Stat: 0' 'Q: 4 Stat: 0' >"$q/round.qfr"

    # A round that teaches: an accent accepted by acc, a typo named, and a
    # summary at the end; its round file fixes the order.
    Cp1252 "$q/teach.txt" '\xa4Q "Which town is this?"\n\xa4P "gold.bmp"\n\xa4A "G\xe4vle"\n\xa4F acc\n\xa4E\n
\xa4Q "Name the capital of Sweden."\n\xa4P "teal.bmp"\n\xa4A "Stockholm"\n\xa4E\n
\xa4Q "Capital of Norway?"\n\xa4P "plum.bmp"\n\xa4A "Oslo"\n\xa4E\n'
    printf '%s\r\n' "qfile: \"$(NativePath "$q/teach.txt")\"" 'sfile: "teach.qfr"' 'qantal: 3' \
        'Q: 1 Stat: 0' 'Q: 2 Stat: 0' 'Q: 3 Stat: 0' >"$q/teach.qfr"

    # The answer report's round: a typed question and a zone question.
    Cp1252 "$q/report.txt" '\xa4Q "Capital of Sweden, =the north?"\n\xa4P "teal.bmp"\n\xa4A "Stockholm"\n\xa4E\n
\xa4Q "Click the grey half."\n\xa4P "zone.bmp"\n\xa4A\n\xa4Z "zone-mask.bmp"\n\xa4F zc red\n\xa4E\n'
    printf '%s\r\n' "qfile: \"$(NativePath "$q/report.txt")\"" 'sfile: "report.qfr"' 'qantal: 2' \
        'Q: 1 Stat: 0' 'Q: 2 Stat: 0' >"$q/report.qfr"

    # A picture far larger than the screen.
    convert -size 4000x2700 "xc:rgb($BIG_TOP)" -size 4000x300 "xc:rgb($BIG_BOTTOM)" -append \
        -type TrueColor "BMP3:$q/big.bmp" || Fail "cannot write $q/big.bmp"
    Cp1252 "$q/big.txt" '\xa4Q "Is this question below the picture?"\n\xa4P "big.bmp"\n\xa4A "below the picture"\n\xa4E\n'

    # An answer list with an odd number of quotes.
    Cp1252 "$q/broken.txt" '\xa4Q "Broken?"\n\xa4A "one" "two\n\xa4E\n'
    # A round whose first question is fine and whose second, on line 5 of
    # its file, has an odd number of quotes.
    Cp1252 "$q/later.txt" '\xa4Q "Fine?"\n\xa4P "olive.bmp"\n\xa4A "yes"\n\xa4E\n\xa4Q "Broken?"\n\xa4A "one" "two\n\xa4E\n'
    printf '%s\r\n' "qfile: \"$(NativePath "$q/later.txt")\"" 'sfile: "later.qfr"' 'qantal: 2' \
        'Q: 1 Stat: 0' 'Q: 2 Stat: 0' >"$q/later.qfr"
}

# A path as the program's file dialogs take it.
NativePath() {
    if [ "$WINE_MODE" = 1 ]; then
        echo "Z:${1//\//\\}"
    else
        echo "$1"
    fi
}

# ---- the program ------------------------------------------------------

# Starts the program and waits for its welcome screen; measures the menu
# bar, the client size and where the window is. Sets PROGRAM_PID, WID,
# WIN_X, WIN_Y, MENU, W, H and keeps the welcome picture in $WORK/welcome.png.
StartProgram() {
    cd "$WORK/quiz" || Fail "no fixture folder"
    # A window place remembered by an earlier step would move this start;
    # KEEP_PLACE=1 keeps it for a step that checks it.
    if [ "${KEEP_PLACE:-0}" != 1 ]; then
        rm -rf "$XDG_CONFIG_HOME"
        if [ "$WINE_MODE" = 1 ]; then
            "$WINE" reg delete 'HKCU\Software\Quillfin' /f >/dev/null 2>&1 || true
        fi
    fi
    if [ "$WINE_MODE" = 1 ]; then
        "$WINE" "$program" "$@" >"$WORK/program.log" 2>&1 &
    else
        "$program" "$@" >"$WORK/program.log" 2>&1 &
    fi
    PROGRAM_PID=$!
    WID=$(WaitForWindow Quillfin 90) || exit 1
    WaitActive "$WID"
    MENU=0
    local _
    for _ in $(seq 1 100); do
        Shoot
        MENU=$(MenuBarHeight "$BLUE")
        [ -n "$MENU" ] && [ "$(Pixel 250 200)" != "$BLUE" ] && break
        MENU=""
        sleep 0.2 # between the looks of a wait with a deadline
    done
    [ -n "$MENU" ] || Fail "the welcome screen with its dark blue background did not appear"
    W=$(identify -format '%w' "$SHOT")
    H=$(($(identify -format '%h' "$SHOT") - MENU))
    WIN_X=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { print $NF }')
    WIN_Y=$(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ { print $NF }')
    convert "$SHOT" -crop "300x200+$((W / 2 - 150))+$((MENU + 30))" +repage "$WORK/welcome.png"
    Log "window $WID at $WIN_X,$WIN_Y: client ${W}x$H below a menu bar of $MENU pixels"
}

# The welcome picture is on screen (the same pixels as at the start) on the
# neutral background, with no answer box.
WelcomeShown() {
    SchemeIs "$BLUE" && NoBox &&
        convert "$SHOT" -crop "300x200+$((W / 2 - 150))+$((MENU + 30))" +repage "$WORK/now.png" &&
        [ "$(compare -metric AE "$WORK/now.png" "$WORK/welcome.png" null: 2>&1)" = 0 ]
}

# Waits for the program to end by itself; fails unless its exit code is 0.
ExpectExit() {
    local _ status
    for _ in $(seq 1 100); do
        kill -0 "$PROGRAM_PID" 2>/dev/null || break
        sleep 0.1 # between the looks of a wait with a deadline
    done
    kill -0 "$PROGRAM_PID" 2>/dev/null && Fail "the program did not end"
    wait "$PROGRAM_PID"
    status=$?
    PROGRAM_PID=""
    [ "$status" -eq 0 ] || Fail "exit code $status"
}

# Opens a menu with Alt and its letter and chooses an item by its letter.
# The main window must have the keyboard.
Menu() {
    WaitActive "$WID"
    Remember root "$WORK/before-menu.ppm" || Fail "no screenshot to compare with"
    HoldKey "alt+$1"
    WaitChanged root "$WORK/before-menu.ppm" "the menu of Alt+$1"
    HoldKey "$2"
}

# Waits for the dialog with this title, types the fixture's path into it
# and closes it with Enter held; waits until it is gone.
ChooseFile() {
    local title="$1" file="$2" dialog
    dialog=$(WaitForWindow "$title" 20) || exit 1
    WaitActive "$dialog"
    WaitSteady "$dialog" "the dialog \"$title\""
    Remember "$dialog" "$WORK/before-typing.ppm" || Fail "no screenshot to compare with"
    TypeFast "$(NativePath "$file")"
    WaitChanged "$dialog" "$WORK/before-typing.ppm" "the name typed into the dialog \"$title\""
    HoldKey Return
    WaitGone "$dialog"
}

# Types into the main window once it has the keyboard.
TypeInMain() {
    WaitActive "$WID"
    TypeFast "$1"
}

# A question with this picture waits for a typed answer: neutral colours,
# an empty answer box.
TypedQuestionWaits() { SchemeIs "$BLUE" && PictureIs "$1" && BoxEmpty; }

# ---- steps ------------------------------------------------------------

# From nothing to the welcome screen.
StepStart() { StartProgram; }

# Waits until the message box `id`, copied with Ctrl+C as the system copies
# a box (title, text, buttons), holds each of the lines given after the id;
# fails at the deadline with what the clipboard held. The box keeps the
# keyboard. Under Wine the box's Ctrl+C reaches no X clipboard that xclip
# can read, so there the box is only waited for (the Linux run reads it).
BoxSays() {
    local id="$1" text="" line missing="" _
    shift
    if [ "$WINE_MODE" = 1 ]; then
        WaitActive "$id"
        return 0
    fi
    WaitActive "$id"
    for _ in $(seq 1 10); do
        HoldKey ctrl+c
        for _ in $(seq 1 20); do
            text=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
            missing=""
            for line in "$@"; do grep -qxF -- "$line" <<<"$text" || missing=$line; done
            [ -z "$missing" ] && return 0
            sleep 0.1 # between the looks of a wait with a deadline
        done
    done
    Fail "the box does not say \"$missing\"; the clipboard holds: ${text:-nothing}"
}

# Welcome screen -> welcome screen. A question file whose only question has
# an odd quote cannot start a round: New round names it in a box titled
# "Round not started", and the welcome picture stays. A round whose second
# question has one: when its turn comes, the "Error in file" box names the
# question, its line and its file; Enter on it leads back to the welcome
# picture.
StepBrokenFile() {
    Menu f n
    ChooseFile Open "$WORK/quiz/broken.txt"
    local box
    box=$(WaitForWindow "Round not started" 20) || exit 1
    BoxSays "$box" "Round not started" "File: $(NativePath "$WORK/quiz/broken.txt")"
    HoldKey Return
    WaitGone "$box"
    ShowsWithin 10 "the welcome picture did not stay after the refusal" WelcomeShown

    Menu f l
    ChooseFile Open "$WORK/quiz/later.qfr"
    ShowsWithin 10 "the round's good question did not appear" TypedQuestionWaits "$OLIVE"
    TypeInMain "yes"
    TapKey Return
    ShowsWithin 10 "the good question did not take its answer" SchemeIs "$GREEN"
    HoldKey Return
    box=$(WaitForWindow "Error in file" 20) || exit 1
    BoxSays "$box" "Error in file" "Question 2 (its block starts on line 5)" \
        "Question file: $(NativePath "$WORK/quiz/later.txt")"
    HoldKey Return
    WaitGone "$box"
    ShowsWithin 10 "the welcome picture did not come back after the error" WelcomeShown
}

# Welcome screen -> the one question of one.txt, waiting. New round, the
# file name typed and Enter held in the dialog: the question waits on the
# neutral background with an empty answer box.
StepNewRoundWithEnterHeld() {
    Menu f n
    ChooseFile Open "$WORK/quiz/one.txt"
    ShowsWithin 10 "the question did not appear" TypedQuestionWaits "$OLIVE"
    NeverShows 1 "the Enter that closed the dialog answered the question" \
        eval '! TypedQuestionWaits "$OLIVE"'
}

# The question of one.txt waiting -> the same, after Restart round chosen
# from the menu with the arrow keys and Enter held.
StepRestartFromKeyboardMenu() {
    WaitActive "$WID"
    Remember root "$WORK/before-menu.ppm" || Fail "no screenshot to compare with"
    HoldKey alt+f
    WaitChanged root "$WORK/before-menu.ppm" "the File menu"
    Remember root "$WORK/before-menu.ppm" || Fail "no screenshot to compare with"
    HoldKey Down
    WaitChanged root "$WORK/before-menu.ppm" "the highlight moved down the File menu"
    HoldKey Return
    ShowsWithin 10 "the question is not waiting after Restart round" TypedQuestionWaits "$OLIVE"
    NeverShows 1 "the Enter that chose Restart round answered the question" \
        eval '! TypedQuestionWaits "$OLIVE"'
}

# The question of one.txt waiting -> the welcome screen. The answer typed
# fast with every letter in the other case, ä as Ä included, then a quick
# tap of Enter: right. (The Ä alone is typed with a pause: see TypeLetter.)
# Enter: the congratulation screen; Enter: welcome.
StepFastRightAnswer() {
    TypeInMain "g"
    TypeLetter "Ä"
    TypeFast "VLE"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    Keep "typed-fast"
    TapKey Return
    ShowsWithin 10 "the answer typed fast was not taken as right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "no congratulations after the last question" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown && ! PictureIs "$OLIVE"'
    HoldKey Return
    ShowsWithin 10 "Enter on the congratulations did not lead to the welcome picture" WelcomeShown
}

# Welcome screen -> the first question of the round file, waiting. Load
# round with Enter held in the dialog.
StepLoadRound() {
    Menu f l
    ChooseFile Open "$WORK/quiz/round.qfr"
    ShowsWithin 10 "the round's first question did not appear" TypedQuestionWaits "$GOLD"
    NeverShows 1 "the Enter that closed the dialog answered the question" \
        eval '! TypedQuestionWaits "$GOLD"'
}

# The several-answer question waiting -> the same. Mid-round, with letters
# typed, New round with a picture: a box titled "Round not started" names
# the picture, and after it the same question waits with the same letters
# in the answer box. The letters are then taken back.
StepWrongFileKeepsTheRound() {
    TypeInMain "Reykjavik"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    Menu f n
    ChooseFile Open "$WORK/quiz/gold.bmp"
    local box
    box=$(WaitForWindow "Round not started" 20) || exit 1
    BoxSays "$box" "Round not started" "File: $(NativePath "$WORK/quiz/gold.bmp")" \
        "The round in progress goes on."
    HoldKey Return
    WaitGone "$box"
    ShowsWithin 10 "the question on screen did not stay with its typed letters" \
        eval 'SchemeIs "$BLUE" && PictureIs "$GOLD" && BoxHasText'
    WaitActive "$WID"
    local _
    for _ in $(seq 1 9); do HoldKey BackSpace; done
    ShowsWithin 5 "the letters typed before the box were not in the answer box" \
        TypedQuestionWaits "$GOLD"
}

# The several-answer question waiting -> the all-answers question waiting.
# A wrong answer turns the window red; Enter continues.
StepWrongAnswer() {
    TypeInMain "Rome"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    HoldKey Return
    ShowsWithin 10 "a wrong answer did not turn the window red" SchemeIs "$RED"
    HoldKey Return
    ShowsWithin 10 "Enter did not continue to the next question" TypedQuestionWaits "$TEAL"
}

# The all-answers question waiting -> the one-answer question waiting. Two
# turns: after the first answer the question comes again with a second line
# saying what was said, which is longer than the question's line because
# the first answer was the long one.
StepAllAnswers() {
    local first second
    Shoot
    first=$(TextLines 245,245,255)
    [ "$(wc -l <<<"$first")" = 1 ] || Fail "the question should fill one line: $first"
    TypeInMain "mississippi-missouri"
    HoldKey Return
    ShowsWithin 10 "the first of both answers was not taken as right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "the question did not come again" TypedQuestionWaits "$TEAL"
    second=$(TextLines 245,245,255)
    [ "$(wc -l <<<"$second")" = 2 ] || Fail "expected the question and what was said: $second"
    local questionWidth saidWidth
    questionWidth=$(sed -n 1p <<<"$second" | cut -d' ' -f3)
    saidWidth=$(sed -n 2p <<<"$second" | cut -d' ' -f3)
    [ "$questionWidth" = "$(cut -d' ' -f3 <<<"$first")" ] || Fail "the question line changed"
    [ "$((saidWidth * 10))" -gt "$((questionWidth * 11))" ] ||
        Fail "the line of what was said ($saidWidth px) does not list the long first answer" \
            "(the question line is $questionWidth px)"
    TypeInMain "PO"
    HoldKey Return
    ShowsWithin 10 "the second answer was not taken as right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "the next question did not appear" TypedQuestionWaits "$PLUM"
}

# The one-answer question waiting -> the same. Help > Help closed with
# Enter held: the question still waits, unanswered.
StepHelpClosedWithEnter() {
    Menu h h
    local box
    box=$(WaitForWindow "Quillfin Help" 20) || exit 1
    WaitActive "$box"
    HoldKey Return
    WaitGone "$box"
    WaitActive "$WID"
    NeverShows 1 "the Enter that closed the help box answered the question" \
        eval '! TypedQuestionWaits "$PLUM"'
}

# The one-answer question waiting -> the same with "Stockholm" typed. A
# click on the background, then typing: the letters land in the answer box.
StepClickThenType() {
    # X hands the program the click before the keys typed after it; TypeInMain
    # waits until the main window has the keyboard.
    ClickClient 5 $((H - 5))
    TypeInMain "Stock"
    ShowsWithin 5 "after a click on the background the letters went elsewhere" BoxHasText
    Remember "$WID" "$WORK/before-typing.ppm" || Fail "no screenshot to compare with"
    TypeInMain "holm"
    WaitChanged "$WID" "$WORK/before-typing.ppm" "the letters \"holm\" in the answer box"
}

# The one-answer question with its answer typed -> the zone question
# waiting. Save round keeps the question at the head; answered and moved on,
# Load round of the saved file brings it back, and after it the same
# question follows as before.
StepSaveThenLoad() {
    Menu f s
    ChooseFile "Save As" "$WORK/quiz/saved.qfr"
    WaitForFile "$WORK/quiz/saved.qfr" 10 ||
        Fail "Save round wrote no file; the folder holds: $(ls -A "$WORK/quiz" | tr '\n' ' ')"
    NeverShows 1 "the Enter that closed the save dialog answered the question" \
        eval '! { SchemeIs "$BLUE" && PictureIs "$PLUM" && BoxHasText; }'
    TapKey Return
    ShowsWithin 10 "the answer typed before saving was not taken as right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "the zone question did not follow" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50)) "$ZONE_LEFT" && NoBox'
    Menu f l
    ChooseFile Open "$WORK/quiz/saved.qfr"
    ShowsWithin 10 "the saved round did not go on with its question" TypedQuestionWaits "$PLUM"
    TypeInMain "stockholm"
    TapKey Return
    ShowsWithin 10 "the loaded round's question did not take its answer" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "the loaded round did not keep its order" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50)) "$ZONE_LEFT" && NoBox'
}

# The zone question waiting -> the welcome screen. A click outside the zone
# is wrong and marks the zone; a click continues; the question that was
# answered wrongly at the start comes back and is answered right; then the
# zone question again, a click inside the zone is right; the round ends.
StepZone() {
    ClickClient $((W / 2 - 50)) 60
    ShowsWithin 10 "a click outside the zone was not wrong" SchemeIs "$RED"
    ShowsWithin 5 "the zone was not marked" PictureAt $((W / 2 + 50)) "$ZONE_MARKED"
    ClickClient 5 $((H - 5))
    ShowsWithin 10 "a click did not continue" TypedQuestionWaits "$GOLD"
    TypeInMain "oslo"
    TapKey Return
    ShowsWithin 10 "the question asked again did not take a right answer" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "the zone question did not come back" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 + 50)) "$ZONE_RIGHT" && NoBox'
    ClickClient $((W / 2 + 50)) 60
    ShowsWithin 10 "a click inside the zone was not right" SchemeIs "$GREEN"
    ClickClient 5 $((H - 5))
    ShowsWithin 10 "no congratulations after the round" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown'
    HoldKey Return
    ShowsWithin 10 "Enter on the congratulations did not lead to the welcome picture" WelcomeShown
}

# The rows of the big picture's bottom band in the middle column, as
# "first last", or nothing when the band is not on screen.
BigBottomRows() {
    convert "$SHOT" -crop "1x$H+$((W / 2))+$MENU" +repage -depth 8 txt:- |
        awk -v band="($BIG_BOTTOM)" '
            NR == 1 { next }
            { line = $0; gsub(/ /, "", line); split(line, a, ":"); split(a[1], xy, ",")
              if (index(a[2], band) == 1) { if (first < 0) first = xy[2]; last = xy[2] } }
            BEGIN { first = -1 }
            END { if (first >= 0) print first, last }'
}

# The window at the outer size given, its client size measured afresh into W
# and H (the menu bar keeps its height).
ResizeMain() {
    local width="$1" height="$2" _
    xdotool windowsize "$WID" "$width" "$height"
    for _ in $(seq 1 50); do
        sleep 0.2 # between the looks of a wait with a deadline
        Shoot
        [ "$(identify -format '%w' "$SHOT")" = "$width" ] && break
    done
    W=$(identify -format '%w' "$SHOT")
    H=$(($(identify -format '%h' "$SHOT") - MENU))
    [ "$W" = "$width" ] || Fail "the window did not take the width $width (it is $W)"
}

# The welcome screen -> the welcome screen. A 4000 x 3000 picture in a wide,
# low window is scaled to the height left above the text area: its bottom
# band is on screen, and the question's text and the answer box stand below
# it. The window then gets its size back and the question is answered.
StepBigPictureInLowWindow() {
    local width0=$W height0=$H outerWidth outerHeight rows first last text textTop
    outerWidth=$(xdotool getwindowgeometry "$WID" | awk '/Geometry/ { split($2, g, "x"); print g[1] }')
    outerHeight=$(xdotool getwindowgeometry "$WID" | awk '/Geometry/ { split($2, g, "x"); print g[2] }')
    Menu f n
    ChooseFile Open "$WORK/quiz/big.txt"
    ShowsWithin 10 "the big picture's question did not appear" \
        eval 'SchemeIs "$BLUE" && BoxShown'
    ResizeMain 1000 400
    Log "wide, low window: client ${W}x$H"
    ShowsWithin 10 "the big picture's bottom is not on screen above the text area" \
        eval '[ -n "$(BigBottomRows)" ] && [ -n "$(TextAreaRows 245,245,255)" ] && BoxShown'
    read -r first last <<<"$(BigBottomRows)"
    textTop=$(TextAreaRows 245,245,255 | cut -d' ' -f1)
    [ "$textTop" -gt "$last" ] || Fail "the text area (from row $textTop) lies under the picture (to row $last)"
    text=$(TextLines 245,245,255)
    [ -n "$text" ] || Fail "no text to be seen in the text area below the picture"
    read -r rows _ <<<"$(BoxRows)"
    [ "$rows" -gt "$textTop" ] || Fail "the answer box is not below the text area"

    ResizeMain "$outerWidth" "$outerHeight"
    [ "$W" = "$width0" ] && [ "$H" = "$height0" ] ||
        Fail "the window did not get its client size ${width0}x$height0 back (it is ${W}x$H)"
    TypeInMain "below the picture"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    HoldKey Return
    ShowsWithin 10 "the answer to the big picture's question was not right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "no congratulations after the big picture's question" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown'
    HoldKey Return
    ShowsWithin 10 "Enter on the congratulations did not lead to the welcome picture" WelcomeShown
}

# The welcome screen -> the end. File > Exit ends the program with code 0.
StepExit() {
    Menu f e
    ExpectExit
}

# Starts the program again, as a file manager starts it, with `name` (a
# path relative to $WORK, / between folders) as its argument; the program
# starts in $WORK. Waits for its window (the window of the first start gave
# MENU, W and H), not for the keyboard, which a message box may hold; sets
# PROGRAM_PID, WID, WIN_X and WIN_Y.
StartProgramWithFile() {
    local name="$1"
    cd "$WORK" || Fail "no work folder"
    if [ "$WINE_MODE" = 1 ]; then
        "$WINE" "$program" "${name//\//\\}" >"$WORK/program.log" 2>&1 &
    else
        "$program" "$name" >"$WORK/program.log" 2>&1 &
    fi
    PROGRAM_PID=$!
    WID=$(WaitForWindow "$MAIN_TITLE" 90) || exit 1
    WIN_X=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { print $NF }')
    WIN_Y=$(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ { print $NF }')
}

# The end -> the end. The round saved in StepSaveThenLoad, under a name
# with a space, given on the command line: it goes on at once with the
# question it was saved at, which takes its answer. File > Exit.
StepRoundFromCommandLine() {
    cp "$WORK/quiz/saved.qfr" "$WORK/quiz/my saved round.qfr"
    StartProgramWithFile "quiz/my saved round.qfr"
    WaitActive "$WID"
    ShowsWithin 10 "the round given on the command line did not go on with its question" \
        TypedQuestionWaits "$PLUM"
    TypeInMain "stockholm"
    TapKey Return
    ShowsWithin 10 "the resumed round's question did not take its answer" SchemeIs "$GREEN"
    Menu f e
    ExpectExit
}

# The end -> the end. A name on the command line that is no file: a box
# says so, and after it the welcome picture stands as after a plain start.
# File > Exit.
StepMissingFileFromCommandLine() {
    StartProgramWithFile "quiz/no such round.qfr"
    local box
    box=$(WaitForWindow "Could not open file" 30) || exit 1
    WaitActive "$box"
    HoldKey Return
    WaitGone "$box"
    ShowsWithin 10 "no welcome picture after the box" WelcomeShown
    Menu f e
    ExpectExit
}

# The kept round of the program that was last closed mid-round, once it is
# there: in the test's own state folder, or in the Wine prefix's local
# application data.
KeptRound() {
    if [ "$WINE_MODE" = 1 ]; then
        ls "$WINEPREFIX"/drive_c/users/*/AppData/Local/Quillfin/last-round.qfr 2>/dev/null | head -n 1
    else
        [ -e "$XDG_STATE_HOME/quillfin/last-round.qfr" ] && echo "$XDG_STATE_HOME/quillfin/last-round.qfr"
    fi
}

# Waits until a round is kept (or, with "gone", until none is).
WaitForKeptRound() {
    local want="$1" seconds="$2" _
    for _ in $(seq 1 $((seconds * 10))); do
        if [ "$want" = gone ]; then [ -z "$(KeptRound)" ] && return 0; else [ -n "$(KeptRound)" ] && return 0; fi
        sleep 0.1 # between the looks of a wait with a deadline
    done
    return 1
}

# Starts the program without a file while a round is kept: waits for the
# question whether to continue it, answers it with `key` and waits for the
# main window to have the keyboard. Sets PROGRAM_PID, WID, WIN_X and WIN_Y.
StartProgramAskedToContinue() {
    local key="$1" box
    cd "$WORK/quiz" || Fail "no fixture folder"
    if [ "$WINE_MODE" = 1 ]; then
        "$WINE" "$program" >"$WORK/program.log" 2>&1 &
    else
        "$program" >"$WORK/program.log" 2>&1 &
    fi
    PROGRAM_PID=$!
    box=$(WaitForWindow "Continue round\\?" 90) || exit 1
    WaitActive "$box"
    HoldKey "$key"
    WaitGone "$box"
    WID=$(WaitForWindow "$MAIN_TITLE" 30) || exit 1
    WaitActive "$WID"
    WIN_X=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { print $NF }')
    WIN_Y=$(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ { print $NF }')
}

# The zone question waiting -> the same. Save round over saved.qfr with the
# name typed without its extension: the program asks first (the question
# names saved.qfr); Escape says No and leaves the dialog open with the name;
# the dialog cancelled, saved.qfr is unchanged. (The Windows dialog asks as
# well, in its own words; this is the Linux program's own question.)
StepSaveAsksBeforeReplacing() {
    if [ "$WINE_MODE" = 1 ]; then
        Log "the overwrite question is the Windows dialog's own: not played under Wine"
        return 0
    fi
    cp "$WORK/quiz/saved.qfr" "$WORK/saved-before.qfr"
    Menu f s
    local dialog box
    dialog=$(WaitForWindow "Save As" 20) || exit 1
    WaitActive "$dialog"
    WaitSteady "$dialog" "the dialog \"Save As\""
    Remember "$dialog" "$WORK/before-typing.ppm" || Fail "no screenshot to compare with"
    TypeFast "$WORK/quiz/saved"
    WaitChanged "$dialog" "$WORK/before-typing.ppm" "the name typed into the dialog \"Save As\""
    HoldKey Return
    box=$(WaitForWindow "Confirm Save As" 20) || exit 1
    WaitActive "$box"
    HoldKey Escape
    WaitGone "$box"
    WaitActive "$dialog"
    xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable || Fail "No closed the save dialog"
    HoldKey Escape
    WaitGone "$dialog"
    cmp -s "$WORK/quiz/saved.qfr" "$WORK/saved-before.qfr" || Fail "saved.qfr was replaced after No"
    [ ! -e "$WORK/quiz/saved" ] || Fail "a file named as typed was written"
    ShowsWithin 10 "the zone question is not waiting after the cancelled save" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50)) "$ZONE_LEFT" && NoBox'
}

# The end -> the end. File > Exit in StepRoundFromCommandLine closed the
# program mid-round, so the next start without a file asks whether to go on:
# Enter (Yes) continues where that round stood, with the zone question, and
# the kept round is gone. A wrong click, and the program is ended from
# outside (SIGTERM; under Wine, File > Exit): the round is kept again.
StepContinueKeptRound() {
    WaitForKeptRound there 10 || Fail "File > Exit in the middle of a round kept no round"
    StartProgramAskedToContinue Return
    ShowsWithin 10 "the kept round did not go on with the zone question" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50)) "$ZONE_LEFT" && NoBox'
    WaitForKeptRound gone 10 || Fail "the kept round is still there after it was continued"
    ClickClient $((W / 2 - 50)) 60
    ShowsWithin 10 "a click outside the zone was not wrong" SchemeIs "$RED"
    if [ "$WINE_MODE" = 1 ]; then
        Menu f e
    else
        kill -TERM "$PROGRAM_PID"
    fi
    ExpectExit
    WaitForKeptRound there 10 || Fail "the round was not kept when the program was ended"
}

# The end -> the end. The next start asks again; No (Escape, under Wine
# its letter) discards the kept round and the welcome screen stands.
StepDiscardKeptRound() {
    if [ "$WINE_MODE" = 1 ]; then
        StartProgramAskedToContinue n
    else
        StartProgramAskedToContinue Escape
    fi
    ShowsWithin 10 "no welcome picture after No" WelcomeShown
    WaitForKeptRound gone 10 || Fail "the kept round is still there after No"
    Menu f e
    ExpectExit
    [ -z "$(KeptRound)" ] || Fail "a round was kept at the welcome screen"
}

# ---- a round that teaches ---------------------------------------------

# Waits until the main window's title is exactly this.
TitleBecomes() {
    local want="$1" title="" _
    for _ in $(seq 1 100); do
        title=$(xdotool getwindowname "$WID" 2>/dev/null)
        [ "$title" = "$want" ] && return 0
        sleep 0.1 # between the looks of a wait with a deadline
    done
    Fail "the title is \"$title\", not \"$want\""
}

# The words of the text area in the last screenshot, read by OCR: the client
# area below the question's picture, in grey, enlarged, on one line.
ScreenWords() {
    convert "$SHOT" -crop "${W}x$((H - 120))+0+$((MENU + 120))" +repage -colorspace Gray \
        -resize 300% -threshold 55% "$WORK/words.png" || return 1
    tesseract "$WORK/words.png" - 2>/dev/null | tr '\n' ' ' | tr -s ' '
}

# The text area shows every one of the given phrases (OCR). The Windows
# program's font under Wine is not read: there only the title is judged.
SaysAll() {
    local words phrase
    words=$(ScreenWords)
    for phrase in "$@"; do grep -qiF -- "$phrase" <<<"$words" || return 1; done
}

# Waits until the text area says every one of the phrases; fails with what it read.
ShowsWords() {
    [ "$WINE_MODE" = 1 ] && return 0
    local seconds="$1" what="$2" _
    shift 2
    for _ in $(seq 1 $((seconds * 2))); do
        Shoot
        SaysAll "$@" && return 0
        sleep 0.5 # between the looks of a wait with a deadline
    done
    Fail "$what; the screen reads: $(ScreenWords)"
}

# The end -> the end. Load round of teach.qfr: the title names the file and
# counts three questions left. "Gavle" for "Gävle" is right under acc and
# the count falls; "Stokholm" is wrong, named as one typo from Stockholm,
# and the count stays; after the last right answer the congratulations sum
# the round up and the title says finished; Enter: welcome, the plain title.
StepTeachingRound() {
    StartProgram
    TitleBecomes "Quillfin"
    Menu f l
    ChooseFile Open "$WORK/quiz/teach.qfr"
    ShowsWithin 10 "the first question of teach.qfr did not appear" TypedQuestionWaits "$GOLD"
    TitleBecomes "Quillfin - teach.txt - 3 left"
    TypeInMain "Gavle"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    TapKey Return
    ShowsWithin 10 "Gavle was not accepted under acc" SchemeIs "$GREEN"
    TitleBecomes "Quillfin - teach.txt - 2 left"
    ShowsWords 10 "no spelling shown after the accepted answer" "Correct!" "Spelled"
    HoldKey Return
    ShowsWithin 10 "the second question did not follow" TypedQuestionWaits "$TEAL"
    TypeInMain "Stokholm"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    TapKey Return
    ShowsWithin 10 "a typo was taken as right without typo" SchemeIs "$RED"
    TitleBecomes "Quillfin - teach.txt - 2 left"
    ShowsWords 10 "the near miss was not named" "Sorry, correct answers were" \
        "So close" "one typo away from"
    HoldKey Return
    ShowsWithin 10 "the third question did not follow" TypedQuestionWaits "$PLUM"
    TypeInMain "oslo"
    TapKey Return
    ShowsWithin 10 "Oslo was not right" SchemeIs "$GREEN"
    TitleBecomes "Quillfin - teach.txt - 1 left"
    HoldKey Return
    ShowsWithin 10 "the question answered wrongly did not come back" TypedQuestionWaits "$TEAL"
    TypeInMain "Stockholm"
    TapKey Return
    ShowsWithin 10 "Stockholm was not right" SchemeIs "$GREEN"
    TitleBecomes "Quillfin - teach.txt - 0 left"
    HoldKey Return
    ShowsWithin 10 "no congratulations after the round" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown'
    TitleBecomes "Quillfin - teach.txt - finished"
    ShowsWords 10 "the congratulations did not sum the round up" "Congratulations" \
        "Questions: 3, right at the first try: 2" "Stokholm"
    HoldKey Return
    ShowsWithin 10 "Enter on the congratulations did not lead to the welcome picture" WelcomeShown
    TitleBecomes "Quillfin"
    Menu f e
    ExpectExit
}

# The window's outer geometry as "x y width height", as xdotool reports it.
WindowGeometry() {
    xdotool getwindowgeometry "$1" | awk '
        /Position/ { split($2, p, ","); x = p[1]; y = p[2] }
        /Geometry/ { split($2, g, "x"); print x, y, g[1], g[2] }'
}

# Waits until the window `id` has the geometry "x y width height".
WaitForGeometry() {
    local id="$1" wanted="$2" now="" _
    for _ in $(seq 1 50); do
        now=$(WindowGeometry "$id")
        [ "$now" = "$wanted" ] && return 0
        sleep 0.1 # between the looks of a wait with a deadline
    done
    Fail "the window stands at $now, not at $wanted"
}

# Nothing running -> nothing running. The window made 600 x 460 and moved,
# then File > Exit: the next start opens it at the same size and place.
StepWindowPlaceRemembered() {
    StartProgram
    local x y w h _ before
    xdotool windowsize "$WID" 600 460
    for _ in $(seq 1 50); do
        read -r x y w h <<<"$(WindowGeometry "$WID")"
        [ "$w" = 600 ] && [ "$h" = 460 ] && break
        sleep 0.1 # between the looks of a wait with a deadline
    done
    [ "$w" = 600 ] && [ "$h" = 460 ] || Fail "the window did not take the size 600 x 460"
    xdotool windowmove "$WID" $((x + 40)) $((y + 30))
    for _ in $(seq 1 50); do
        before=$(WindowGeometry "$WID")
        [ "$before" != "$x $y $w $h" ] && break
        sleep 0.1 # between the looks of a wait with a deadline
    done
    [ "$before" != "$x $y $w $h" ] || Fail "the window did not move"
    Menu f e
    ExpectExit
    if [ "$WINE_MODE" != 1 ]; then
        grep -q 'WindowRight=dword:' "$XDG_CONFIG_HOME/quillfin/quillfin.ini" 2>/dev/null ||
            Fail "no window place was kept in $XDG_CONFIG_HOME/quillfin/quillfin.ini"
    fi
    KEEP_PLACE=1 StartProgram
    WaitForGeometry "$WID" "$before"
    Log "the window came back at $before"
    Menu f e
    ExpectExit
}

# Nothing running -> a round kept at exit. Save round on the welcome screen
# says that there is no round to save. A copy of the round file in another
# folder, opened from the command line there; Save round then starts beside
# the round's question file, not in that folder, and proposes the question
# file's name with .qfr: Enter alone saves quiz.qfr there.
StepDialogsStartBesideTheQuestions() {
    StartProgram
    Menu f s
    local box dialog
    box=$(WaitForWindow "No round to save" 20) || exit 1
    BoxSays "$box" "No round to save" "There is no round to save yet."
    HoldKey Return
    WaitGone "$box"
    ShowsWithin 10 "the welcome picture did not stay" WelcomeShown
    Menu f e
    ExpectExit
    mkdir -p "$WORK/elsewhere"
    cp "$WORK/quiz/round.qfr" "$WORK/elsewhere/copy.qfr"
    rm -f "$WORK/quiz/quiz.qfr"
    StartProgramWithFile "elsewhere/copy.qfr"
    WaitActive "$WID"
    ShowsWithin 10 "the round from the other folder did not start" TypedQuestionWaits "$GOLD"
    Menu f s
    dialog=$(WaitForWindow "Save As" 20) || exit 1
    WaitActive "$dialog"
    WaitSteady "$dialog" "the dialog \"Save As\""
    HoldKey Return
    WaitGone "$dialog"
    WaitForFile "$WORK/quiz/quiz.qfr" 10 ||
        Fail "Save round did not propose quiz.qfr beside quiz.txt; elsewhere holds: $(ls -A "$WORK/elsewhere" | tr '\n' ' ')"
    Menu f e
    ExpectExit
}

# ---- the answer report ------------------------------------------------

# Checks the answer report with Python's csv module: a byte-order mark, CR LF
# line ends, the header and one row per answer given, in order.
CheckAnswerReport() {
    python3 - "$1" <<'PYTHON'
import csv, io, re, sys
raw = open(sys.argv[1], "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
assert raw.endswith(b"\r\n") and b"\n" not in raw.replace(b"\r\n", b""), "not CR LF"
rows = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
assert rows[0] == ["time", "file", "question", "line", "question text", "answer", "verdict",
                   "seconds"], rows[0]
got = [(r[1], r[2], r[3], r[4], re.sub(r"^(click|key) .*", r"\1", r[5]), r[6]) for r in rows[1:]]
typed = ("report.txt", "1", "1", "Capital of Sweden, =the north?")
zone = ("report.txt", "2", "6", "Click the grey half.")
want = [typed + ("Stokholm", "near-typo"), zone + ("key", "wrong"), typed + ("Rome", "wrong"),
        zone + ("click", "right"), typed + ("Stockholm", "right")]
assert got == want, "rows %r" % got
for r in rows[1:]:
    assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d", r[0]), r
    assert re.fullmatch(r"\d+\.\d", r[7]), r
# The zone picture is 200 x 100 pixels, its zone the right half: the keys
# answered left of it, the click inside it.
points = [tuple(map(int, re.fullmatch(r"(?:click|key) (\d+),(\d+)", r[5]).groups()))
          for r in rows[1:] if r[5].startswith(("click", "key"))]
assert points[0][0] < 100 <= points[1][0] < 200 and all(0 <= y < 100 for _, y in points), points
PYTHON
}

# The end -> the end. Save answer report before any answer: a box says
# there are none. Load round of report.qfr; "Stokholm" (a near miss), a
# zone answer beside it by the keys, "Rome", a click in the zone and "Stockholm"; on the
# congratulations Save answer report proposes report-answers.csv beside the
# question file, Enter takes it, and Python's csv module reads the rows back.
StepAnswerReport() {
    StartProgram
    Menu f a
    local box dialog
    box=$(WaitForWindow "No answers yet" 20) || exit 1
    BoxSays "$box" "There are no answers to report yet."
    HoldKey Return
    WaitGone "$box"
    Menu f l
    ChooseFile Open "$WORK/quiz/report.qfr"
    ShowsWithin 10 "the typed question of report.qfr did not appear" TypedQuestionWaits "$TEAL"
    TypeInMain "Stokholm"
    ShowsWithin 5 "the typed letters did not reach the answer box" BoxHasText
    TapKey Return
    ShowsWithin 10 "the near miss was not wrong" SchemeIs "$RED"
    HoldKey Return
    ShowsWithin 10 "the zone question did not follow" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50)) "$ZONE_LEFT" && NoBox'
    # Answered by the keyboard: two Left presses take the crosshair from the
    # centre into the olive half.
    ShowsWithin 5 "the crosshair did not stand at the centre" CrosshairAt $((W / 2)) 60
    TapKey Left
    TapKey Left
    ShowsWithin 5 "the crosshair did not move left" CrosshairAt $((W / 2 - 25)) 60
    HoldKey Return
    ShowsWithin 10 "Enter in the olive half was not wrong" SchemeIs "$RED"
    HoldKey Return
    ShowsWithin 10 "Enter did not continue" TypedQuestionWaits "$TEAL"
    TypeInMain "Rome"
    TapKey Return
    ShowsWithin 10 "Rome was not wrong" SchemeIs "$RED"
    HoldKey Return
    ShowsWithin 10 "the zone question did not come back" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 + 50)) "$ZONE_RIGHT" && NoBox'
    ClickClient $((W / 2 + 50)) 60
    ShowsWithin 10 "a click inside the zone was not right" SchemeIs "$GREEN"
    ClickClient 5 $((H - 5))
    ShowsWithin 10 "the typed question did not come back" TypedQuestionWaits "$TEAL"
    TypeInMain "Stockholm"
    TapKey Return
    ShowsWithin 10 "Stockholm was not right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "no congratulations after the round" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown'
    Menu f a
    dialog=$(WaitForWindow "Save As" 20) || exit 1
    WaitActive "$dialog"
    WaitSteady "$dialog" "the dialog \"Save As\""
    HoldKey Return
    WaitGone "$dialog"
    WaitForFile "$WORK/quiz/report-answers.csv" 10 ||
        Fail "no report-answers.csv; the folder holds: $(ls -A "$WORK/quiz" | tr '\n' ' ')"
    local checked
    checked=$(CheckAnswerReport "$WORK/quiz/report-answers.csv" 2>&1) ||
        Fail "the answer report does not read back: $checked"
    Menu f e
    ExpectExit
}

# The colour of the question picture shown while one of the questions of
# edited.txt waits for a typed answer, or nothing.
EditedQuestionWaiting() {
    local colour
    for colour in "$GOLD" "$TEAL" "$PLUM" "$OLIVE"; do
        TypedQuestionWaits "$colour" && echo "$colour" && return 0
    done
    return 1
}

# The end -> the end, in a run of its own. A round on edited.txt (gold,
# teal, plum): gold answered right, teal wrongly, saved with plum on screen.
# The teacher inserts a question (olive) at the top of the file; Load round
# says in a box what changed, plum comes first, then teal and olive in
# either order, and the round ends without asking gold again.
StepEditedQuestionFile() {
    local q="$WORK/quiz"
    Cp1252 "$q/edited.txt" '\xa4Q "Gold?"\n\xa4P "gold.bmp"\n\xa4A "gold"\n\xa4E\n\xa4Q "Teal?"\n\xa4P "teal.bmp"\n\xa4A "teal"\n\xa4E\n\xa4Q "Plum?"\n\xa4P "plum.bmp"\n\xa4A "plum"\n\xa4E\n'
    printf '%s\r\n' "qfile: \"$(NativePath "$q/edited.txt")\"" 'sfile: "edited.qfr"' 'qantal: 3' \
        'Q: 1 Stat: 0' 'Q: 2 Stat: 0' 'Q: 3 Stat: 0' >"$q/edited.qfr"
    StartProgram
    Menu f l
    ChooseFile Open "$q/edited.qfr"
    ShowsWithin 10 "the round's first question did not appear" TypedQuestionWaits "$GOLD"
    TypeInMain "gold"
    TapKey Return
    ShowsWithin 10 "the right answer was not taken" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "the second question did not follow" TypedQuestionWaits "$TEAL"
    TypeInMain "wrong"
    TapKey Return
    ShowsWithin 10 "the wrong answer was not taken as wrong" SchemeIs "$RED"
    HoldKey Return
    ShowsWithin 10 "the third question did not follow" TypedQuestionWaits "$PLUM"
    Menu f s
    ChooseFile "Save As" "$q/edited-saved.qfr"
    WaitForFile "$q/edited-saved.qfr" 10 || Fail "Save round wrote no file"
    grep -q "Id: " "$q/edited-saved.qfr" || Fail "the saved round holds no fingerprints"

    Cp1252 "$q/edited.txt" '\xa4Q "Olive?"\n\xa4P "olive.bmp"\n\xa4A "olive"\n\xa4E\n\xa4Q "Gold?"\n\xa4P "gold.bmp"\n\xa4A "gold"\n\xa4E\n\xa4Q "Teal?"\n\xa4P "teal.bmp"\n\xa4A "teal"\n\xa4E\n\xa4Q "Plum?"\n\xa4P "plum.bmp"\n\xa4A "plum"\n\xa4E\n'
    Menu f l
    ChooseFile Open "$q/edited-saved.qfr"
    local box
    box=$(WaitForWindow "Question file changed" 20) || exit 1
    BoxSays "$box" "Question file changed" \
        "The question file has changed since this round was saved: 1 question is new. Your progress on the other 3 is kept."
    HoldKey Return
    WaitGone "$box"
    ShowsWithin 10 "the question saved on screen did not come first" TypedQuestionWaits "$PLUM"
    TypeInMain "plum"
    TapKey Return
    ShowsWithin 10 "the loaded round's question did not take its answer" SchemeIs "$GREEN"
    HoldKey Return
    local asked="" colour answer _
    for _ in 1 2; do
        ShowsWithin 10 "no question of the round followed" eval 'EditedQuestionWaiting >/dev/null'
        colour=$(EditedQuestionWaiting)
        case "$colour" in
        "$TEAL") answer=teal ;;
        "$OLIVE") answer=olive ;;
        *) Fail "a question answered right before saving came again ($colour)" ;;
        esac
        case " $asked " in *" $answer "*) Fail "the $answer question was asked twice" ;; esac
        asked="$asked $answer"
        TypeInMain "$answer"
        TapKey Return
        ShowsWithin 10 "the $answer question did not take its answer" SchemeIs "$GREEN"
        HoldKey Return
    done
    ShowsWithin 10 "no congratulations after the new and the waiting question" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown && ! EditedQuestionWaiting >/dev/null'
    Menu f e
    ExpectExit
}

# The crosshair's black ring stands right of the client point (x, y): the
# ring's pixel 7 to the right and 3 down is black.
CrosshairAt() { [ "$(Pixel $(($1 + 7)) $(($2 + 3)))" = 0,0,0 ]; }

# The end -> the end. A zone question answered by the keyboard alone: the
# crosshair starts at the picture's centre (the zone's left edge); two Left
# presses take it into the olive half, where Enter is wrong and the zone is
# marked; Enter continues, the question comes back with the crosshair at the
# centre again, two Right presses and Enter are right. No click at all.
StepZoneByKeys() {
    StartProgram
    Menu f n
    ChooseFile Open "$WORK/quiz/zone-only.txt"
    # The 200 x 100 picture is drawn at its own size from x = W/2 - 100, y = 10;
    # its inner pixel (99, 49), the centre, is client point (W/2, 60).
    ShowsWithin 10 "the zone question with its crosshair at the centre did not appear" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50)) "$ZONE_LEFT" && NoBox && CrosshairAt $((W / 2)) 60'
    TapKey Left
    TapKey Left
    # 2/16 left: inner pixel round(0.375 * 197) = 74, client x W/2 - 25.
    ShowsWithin 5 "the crosshair did not move left" CrosshairAt $((W / 2 - 25)) 60
    HoldKey Return
    ShowsWithin 10 "Enter in the olive half was not wrong" SchemeIs "$RED"
    ShowsWithin 5 "the zone was not marked" PictureAt $((W / 2 + 50)) "$ZONE_MARKED"
    HoldKey Return
    ShowsWithin 10 "the zone question did not come back with its crosshair at the centre" \
        eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 + 50)) "$ZONE_RIGHT" && CrosshairAt $((W / 2)) 60'
    TapKey Right
    TapKey Right
    ShowsWithin 5 "the crosshair did not move right" CrosshairAt $((W / 2 + 24)) 60
    HoldKey Return
    ShowsWithin 10 "Enter in the grey half was not right" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "no congratulations after the round" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown'
    HoldKey Return
    ShowsWithin 10 "Enter on the congratulations did not lead to the welcome picture" WelcomeShown
    Menu f e
    ExpectExit
}

# The words of a text, one per line: letters and digits only, as OCR is
# compared (quotes and punctuation come out in many shapes).
Words() { tr -c '[:alnum:]' '\n' <<<"$1" | grep -v '^$'; }

# The text area's text read off the screen by OCR: the rows of the panel
# colour given (TextAreaRows), the whole
# width of the text area but for the Windows control's scroll bar, enlarged
# for tesseract.
ReadTextArea() {
    local panel="$1" rows top bottom across left bar=0
    across=$((W > 501 ? 478 : W - 24))
    left=$((W / 2 - across / 2 + 1))
    [ "$WINE_MODE" = 1 ] && bar=18
    rows=$(TextAreaRows "$panel")
    [ -n "$rows" ] || return 0
    read -r top bottom <<<"$rows"
    convert "$SHOT" -crop "$((across - bar))x$((bottom - top + 1))+$left+$((top + MENU))" +repage \
        -colorspace Gray -resize 300% "$WORK/ocr.png" &&
        tesseract "$WORK/ocr.png" - 2>/dev/null
}

# Whether the text area (panel colour given) shows `expected` whole: OCR
# finds as many words, the same last word, and at most two words misread.
ShowsWhole() {
    local panel="$1" expected="$2" read wrong
    read=$(ReadTextArea "$panel")
    wrong=$(paste -d' ' <(Words "$expected") <(Words "$read") |
        awk 'NF != 2 || $1 != $2 { n++ } END { print n + 0 }')
    OCR_SEEN=$read
    [ "$(Words "$expected" | tail -n 1)" = "$(Words "$read" | tail -n 1)" ] && [ "$wrong" -le 2 ]
}

# The end -> the end. A question of 400 characters with a large picture, and
# the wrong answer's feedback with five answers and 300 characters of
# information, are read whole off the screen (OCR) at the default size and
# in a window whose client area is 400 x 400. The question is then answered
# rightly and the round ends. Linux only.
StepLongTextsWhole() {
    local size feedback width0 height0
    # Read on Linux only: OCR of the fonts under Wine misreads too many words.
    [ "$WINE_MODE" = 1 ] && return 0
    feedback="Sorry, correct answers were: Nile Ob Lena Mackenzie Yenisei Additional info: $LONG_INFO"
    StartProgram
    width0=$W height0=$H
    for size in default 400x400; do
        if [ "$size" = 400x400 ]; then
            ResizeMain 400 $((400 + MENU))
            [ "$H" = 400 ] || Fail "the client area is ${W}x$H, not 400x400"
        fi
        Menu f n
        ChooseFile Open "$WORK/quiz/long.txt"
        ShowsWithin 10 "the long question is not shown whole at $size (OCR: ${OCR_SEEN:-nothing})" \
            eval 'TypedQuestionWaits "$TEAL" && ShowsWhole 245,245,255 "$LONG_QUESTION"'
        TypeInMain "Amazon"
        HoldKey Return
        ShowsWithin 10 "the long feedback is not shown whole at $size (OCR: ${OCR_SEEN:-nothing})" \
            eval 'SchemeIs "$RED" && ShowsWhole 255,245,245 "$feedback"'
    done
    # The round ends at the first size, so that no round is kept at exit.
    ResizeMain "$width0" $((height0 + MENU))
    HoldKey Return
    ShowsWithin 10 "the long question did not come back" TypedQuestionWaits "$TEAL"
    TypeInMain "Nile"
    HoldKey Return
    ShowsWithin 10 "the right answer was not taken" SchemeIs "$GREEN"
    HoldKey Return
    ShowsWithin 10 "no congratulations after the round" \
        eval 'SchemeIs "$BLUE" && NoBox && ! WelcomeShown'
    HoldKey Return
    ShowsWithin 10 "Enter on the congratulations did not lead to the welcome picture" WelcomeShown
    Menu f e
    ExpectExit
}

# ---- the Windows program's DPI ------------------------------------------

# The runs of one colour along a line of client pixels of the last
# screenshot, "r,g,b length" per run, from (x, y) over `length` pixels:
# down a column (`axis` col) or along a row (`axis` row).
ColourRuns() {
    local axis="$1" x="$2" y="$3" length="$4" geometry
    if [ "$axis" = col ]; then geometry="1x$length+$x+$((y + MENU))"; else geometry="${length}x1+$x+$((y + MENU))"; fi
    convert "$SHOT" -crop "$geometry" +repage -depth 8 txt:- |
        awk 'NR > 1 { line = $0; gsub(/ /, "", line); split(line, a, ":"); c = a[2]
                      sub(/^\(/, "", c); sub(/\).*/, "", c)
                      if (c == last) n++; else { if (n) print last, n; last = c; n = 1 } }
             END { if (n) print last, n }'
}

# Sets the DPI of the Wine prefix (the LogPixels its programs start with).
SetLogPixels() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1 || Fail "cannot set LogPixels to $1"
}

# Wine only (the Linux program's scale is Qt's, checked in its own steps):
# nothing running -> nothing running, and no round kept. The Windows program at LogPixels 96,
# then 192, each a fresh start with the zone question alone: the window is
# inside the 1024 x 768 screen; the 200 x 100 picture is drawn DPI/96 times
# its size; below it the text area's frames, each DPI/96 pixels, start
# 9 x DPI/96 rows lower, and are as wide as the layout gives at that DPI;
# the question's ink lies inside the text area clear of its edges, its
# first line at 192 about twice as tall as at 96; a click on the zone's half of the
# picture is right. Then the typed question: the answer typed stands inside
# the answer box, clear of its edges, at 192 about twice as tall as at 96. LogPixels is 96 again at the end.
StepDpiUnderWine() {
    [ "$WINE_MODE" = 1 ] || return 0
    local dpi s runs gap frame across expected top bottom inkHeight inkTop boxRows line line96=0 answer96=0
    local kept
    # A round kept by an earlier step would be offered at the start.
    kept=$(KeptRound)
    [ -z "$kept" ] || rm -f "$kept"
    for dpi in 96 192; do
        s=$((dpi / 96))
        SetLogPixels "$dpi"
        StartProgram
        [ "$WIN_X" -ge 0 ] && [ "$WIN_Y" -ge 0 ] && [ $((WIN_X + W)) -le 1024 ] &&
            [ $((WIN_Y + MENU + H)) -le 768 ] ||
            Fail "at $dpi DPI the window (client ${W}x$H at $WIN_X,$WIN_Y) is not inside the screen"
        Menu f n
        ChooseFile Open "$WORK/quiz/zone-only.txt"
        ShowsWithin 10 "at $dpi DPI the zone question did not come" \
            eval 'SchemeIs "$BLUE" && PictureAt $((W / 2 - 50 * s)) "$ZONE_LEFT" && PictureAt $((W / 2 + 50 * s)) "$ZONE_RIGHT"'
        # The picture's right half in a row above the crosshair, from the
        # column after the one the enlarging blends to the frame's pixel.
        runs=$(ColourRuns row $((W / 2 + s)) $((25 * s)) $((W / 2)))
        [ "$(sed -n 1p <<<"$runs")" = "$ZONE_RIGHT $((100 * s - s - 1))" ] ||
            Fail "at $dpi DPI the picture's right half is not $((100 * s)) pixels wide: $(head -2 <<<"$runs" | tr '\n' ' ')"
        # Down the column from the picture's lowest row: its frame, the gap, the text area's two frames.
        runs=$(ColourRuns col $((W / 2 + 20)) $((10 * s + 100 * s - 1)) $((40 * s)))
        gap=$(sed -n 2p <<<"$runs")
        frame=$(sed -n 3p <<<"$runs")
        [ "$gap" = "$BLUE $((9 * s))" ] && [ "$frame" = "0,0,255 $s" ] &&
            [ "$(sed -n 4p <<<"$runs" | cut -d' ' -f1)" = 245,245,255 ] ||
            Fail "at $dpi DPI below the picture: $(head -4 <<<"$runs" | tr '\n' ' ')"
        # Across the text area's first panel row, inside its outer frame.
        top=$((100 * s + 21 * s))
        across=$((W > 501 * s ? 478 * s : W - 24 * s))
        expected=$((across + 2 * s))
        runs=$(ColourRuns row 0 $((top - s)) "$W")
        [ "$(sed -n 2p <<<"$runs")" = "0,0,255 $s" ] &&
            [ "$(sed -n 3p <<<"$runs")" = "245,245,255 $expected" ] ||
            Fail "at $dpi DPI the text area's inner frame is not $expected wide: $(head -4 <<<"$runs" | tr '\n' ' ')"
        # The ink of the question and the keys' hint inside the text area.
        read -r top bottom <<<"$(TextAreaRowsAt "$s")"
        [ -n "$bottom" ] || Fail "at $dpi DPI no text area found"
        convert "$SHOT" -crop "$((across - 40 * s))x$((bottom - top + 1))+$((W / 2 - across / 2 + 2 * s))+$((top + MENU))" \
            +repage -colorspace Gray -threshold 60% -negate "$WORK/ink.png"
        read -r inkHeight inkTop <<<"$(convert "$WORK/ink.png" -trim -format '%h %Y' info: 2>/dev/null | tr -d '+')"
        [ -n "$inkTop" ] && [ "$inkTop" -gt 0 ] && [ $((inkTop + inkHeight)) -lt $((bottom - top + 1)) ] ||
            Fail "at $dpi DPI the text touches the text area's edge (ink ${inkHeight:-none} rows from ${inkTop:-?} in $((bottom - top + 1)))"
        # The ink rows of the first line (the lines wrap differently at each DPI).
        line=$(convert "$WORK/ink.png" -scale "1x$((bottom - top + 1))!" -depth 8 txt:- |
            awk -F'[,:() ]+' 'NR > 1 { ink = $4 > 0; if (ink && start < 0) start = $2
                                       if (!ink && start >= 0) { print $2 - start; exit } }
                              BEGIN { start = -1 }')
        [ "$dpi" = 96 ] && line96=$line
        [ "$dpi" = 192 ] && { [ $((line * 10)) -ge $((line96 * 17)) ] && [ $((line * 10)) -le $((line96 * 23)) ] ||
            Fail "at 192 DPI the first line's ink is $line rows tall, at 96 $line96"; }
        Log "at $dpi DPI: client ${W}x$H, text area $across wide, first line's ink $line rows"
        ClickClient $((W / 2 + 50 * s)) 60
        ShowsWithin 10 "at $dpi DPI a click inside the zone was not right" SchemeIs "$GREEN"
        ClickClient 5 $((H - 5))
        ShowsWithin 10 "at $dpi DPI no congratulations after the round" \
            eval 'SchemeIs "$BLUE" && ! WelcomeShown'
        HoldKey Return
        ShowsWithin 10 "at $dpi DPI Enter on the congratulations did not lead to the welcome picture" WelcomeShown
        # The answer typed into the box stands inside it.
        Menu f n
        ChooseFile Open "$WORK/quiz/one.txt"
        ShowsWithin 10 "at $dpi DPI the typed question did not come" \
            eval 'SchemeIs "$BLUE" && PictureIs "$OLIVE"'
        TypeInMain "g"
        TypeLetter "Ä"
        TypeFast "VLE"
        ShowsWithin 10 "at $dpi DPI the answer typed is not inside the box, clear of its edges" \
            eval 'BOX_INK=$(BoxInkAt "$s") && read -r inkTop inkHeight boxRows <<<"$BOX_INK" &&
                  [ "$inkTop" -gt 0 ] && [ $((inkTop + inkHeight)) -lt "$boxRows" ]'
        [ "$dpi" = 96 ] && answer96=$inkHeight
        [ "$dpi" = 192 ] && { [ $((inkHeight * 10)) -ge $((answer96 * 17)) ] && [ $((inkHeight * 10)) -le $((answer96 * 23)) ] ||
            Fail "at 192 DPI the answer's ink is $inkHeight rows tall, at 96 $answer96"; }
        Log "at $dpi DPI: the answer's ink $inkHeight rows in a box of $boxRows"
        TapKey Return
        ShowsWithin 10 "at $dpi DPI the answer was not taken as right" SchemeIs "$GREEN"
        HoldKey Return
        ShowsWithin 10 "at $dpi DPI no congratulations after the typed question" \
            eval 'SchemeIs "$BLUE" && ! WelcomeShown && ! PictureIs "$OLIVE"'
        HoldKey Return
        ShowsWithin 10 "at $dpi DPI Enter on the congratulations did not lead to the welcome picture" WelcomeShown
        Menu f e
        ExpectExit
    done
    SetLogPixels 96
}

# The ink in the answer box at the scale s (DPI / 96), from the box's white
# rows near its right end (clear of the text) and its left half: "top height
# rows", the ink's first row and height within the box's rows. Fails when
# there is no box or no ink.
BoxInkAt() {
    local s="$1" across left runs offset=0 length colour n top=-1 rows=0
    across=$((W > 501 * s ? 478 * s : W - 24 * s))
    left=$((W / 2 - across / 2 + s))
    runs=$(ColourRuns col $((left + across - 40 * s)) 0 "$H")
    # The longest white run.
    while read -r colour n; do
        if [ "$colour" = "$WHITE" ] && [ "$n" -gt "$rows" ]; then top=$offset rows=$n; fi
        offset=$((offset + n))
    done <<<"$runs"
    [ "$top" -ge 0 ] || return 1
    convert "$SHOT" -crop "$((across / 2))x$rows+$left+$((top + MENU))" +repage -colorspace Gray \
        -threshold 60% -negate "$WORK/box-ink.png"
    length=$(convert "$WORK/box-ink.png" -trim -format '%Y %h' info: 2>/dev/null | tr -d '+')
    [ -n "$length" ] && [ "${length#* }" -lt "$rows" ] || return 1
    echo "$length $rows"
}

# The rows of the text area's panel at the scale s (DPI / 96): the run of
# panel rows in its left margin. Prints "top bottom".
TextAreaRowsAt() {
    local s="$1" across
    across=$((W > 501 * s ? 478 * s : W - 24 * s))
    convert "$SHOT" -crop "1x$H+$((W / 2 - across / 2 + s))+$MENU" +repage -depth 8 txt:- |
        awk 'NR == 1 { next }
            { line = $0; gsub(/ /, "", line); split(line, a, ":"); split(a[1], xy, ",")
              y = xy[2]; inside = index(a[2], "(245,245,255)") == 1
              if (inside && start < 0) start = y
              if (!inside && start >= 0) { print start, y - 1; exit } }
            BEGIN { start = -1 }'
}

STEPS=(
    StepStart
    StepBrokenFile
    StepNewRoundWithEnterHeld
    StepRestartFromKeyboardMenu
    StepFastRightAnswer
    StepLoadRound
    StepWrongFileKeepsTheRound
    StepWrongAnswer
    StepAllAnswers
    StepHelpClosedWithEnter
    StepClickThenType
    StepSaveThenLoad
    StepSaveAsksBeforeReplacing
    StepZone
    StepBigPictureInLowWindow
    StepExit
    StepRoundFromCommandLine
    StepMissingFileFromCommandLine
    StepContinueKeptRound
    StepDiscardKeptRound
    StepZoneByKeys
    StepLongTextsWhole
    StepEditedQuestionFile
    StepTeachingRound
    StepAnswerReport
    StepWindowPlaceRemembered
    StepDialogsStartBesideTheQuestions
    StepDpiUnderWine
)

# ---- run --------------------------------------------------------------

StartDisplay
StartWindowManager
[ "$WINE_MODE" = 1 ] && StartWine
WriteFixtures
for STEP in "${STEPS[@]}"; do
    Log "$STEP"
    "$STEP"
done
STEP=""
Log "passed: ${STEPS[*]}"
