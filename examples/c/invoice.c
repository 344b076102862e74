/* An invoice through the C interface: a letterhead, the customer's address,
 * a table of items drawn as a graphic, amounts aligned right and a total, in
 * DejaVu Sans (embedded as subsets; TrueType fonts have the widths that the
 * alignment needs).
 *
 *     cc invoice.c $(pkg-config --cflags --libs vellumark) -o invoice
 *     ./invoice [OUT.pdf]
 */
#include <stdio.h>
#include <stdlib.h>

#include <vellumark/vellumark.h>

/* Every call returns a status; the first failure ends the program with the
 * engine's message. */
#define CHECK(call)                                                          \
    do {                                                                     \
        if ((call) != VM_OK) {                                               \
            fprintf(stderr, "%s: %s\n", #call, vm_last_error(doc));          \
            vm_destroy(doc);                                                 \
            return EXIT_FAILURE;                                             \
        }                                                                    \
    } while (0)

struct item {
    const char* text;
    int quantity;
    double price;
};

static const char* const regular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
static const char* const bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

static const struct item items[] = {
    {"Letterpress business cards, 500", 2, 48.50},
    {"Invitation cards, cotton paper", 120, 1.85},
    {"Envelopes C6, lined", 120, 0.42},
    {"Design and proofs (hours)", 3, 65.00},
};

/* Writes one line of text as a new text resource on page 1, its right end at
 * x (its left end when right is 0), in font number font. */
static vm_status text_at(vm_doc* doc, const char* text, double x, double y, int right, int font, int size) {
    int32_t res = 0, index = 0;
    double width = 0;
    vm_status s;
    if ((s = vm_CreateText(doc, &res)) != VM_OK || (s = vm_set_TextFont(doc, font)) != VM_OK ||
        (s = vm_set_TextSize(doc, size)) != VM_OK || (s = vm_WriteText(doc, text)) != VM_OK ||
        (s = vm_get_TextLineWidth(doc, text, &width)) != VM_OK || (s = vm_ApplyResource(doc, 1, res, &index)) != VM_OK)
        return s;
    return vm_Locate(doc, 1, index, right ? x - width : x, y);
}

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "invoice.pdf";
    vm_doc* doc = NULL;
    int32_t res = 0, index = 0, text_font = 0, bold_font = 0;
    char line[128];
    double total = 0, y;
    size_t i;

    if (vm_create(&doc) != VM_OK) return EXIT_FAILURE;
    CHECK(vm_set_Title(doc, "Invoice 2024-117"));
    CHECK(vm_set_Author(doc, "Atelier Grünwald"));
    CHECK(vm_set_Units(doc, vm_umMillimeters));
    CHECK(vm_AddPage(doc, 0));
    CHECK(vm_AddFont(doc, regular, &text_font));
    CHECK(vm_AddFont(doc, bold, &bold_font));
    if (!text_font || !bold_font) {
        fprintf(stderr, "invoice: %s and %s are needed (Debian: fonts-dejavu-core)\n", regular, bold);
        vm_destroy(doc);
        return EXIT_FAILURE;
    }
    CHECK(vm_set_EmbedFont(doc, text_font, 1));
    CHECK(vm_set_EmbedFont(doc, bold_font, 1));
    /* Only the glyphs the invoice uses: a few dozen kilobytes, not the whole
     * font files. */
    CHECK(vm_set_SubsetFonts(doc, 1));

    /* The letterhead and the address. */
    CHECK(vm_CreateText(doc, &res));
    CHECK(vm_set_TextFont(doc, bold_font));
    CHECK(vm_set_TextSize(doc, 20));
    CHECK(vm_set_TextColor(doc, vm_rgb(30, 60, 120)));
    CHECK(vm_WriteText(doc, "Atelier Grünwald"));
    CHECK(vm_ApplyResource(doc, 1, res, &index));
    CHECK(vm_Locate(doc, 1, index, 20, 277));

    CHECK(vm_CreateText(doc, &res));
    CHECK(vm_set_TextFont(doc, text_font));
    CHECK(vm_set_TextSize(doc, 10));
    CHECK(vm_WriteText(doc, "Bill to:"));
    CHECK(vm_WriteText(doc, "Müller & Söhne GmbH"));
    CHECK(vm_WriteText(doc, "Hafenstraße 12, 20457 Hamburg"));
    CHECK(vm_WriteText(doc, ""));
    CHECK(vm_WriteText(doc, "Invoice 2024-117, 14 March 2024"));
    CHECK(vm_ApplyResource(doc, 1, res, &index));
    CHECK(vm_Locate(doc, 1, index, 20, 255));

    /* The table's rules. */
    CHECK(vm_CreateGraphic(doc, &res));
    CHECK(vm_set_LineColor(doc, vm_rgb(120, 120, 120)));
    CHECK(vm_set_FillColor(doc, vm_rgb(230, 236, 246)));
    CHECK(vm_set_Fill(doc, 1));
    CHECK(vm_Rectangle(doc, 20, 213, 190, 205));
    CHECK(vm_set_Fill(doc, 0));
    y = 205;
    for (i = 0; i < sizeof items / sizeof items[0]; ++i) {
        y -= 8;
        CHECK(vm_DrawLine(doc, 20, y, 190, y));
    }
    CHECK(vm_ApplyResource(doc, 1, res, &index));

    /* The rows: description on the left, quantity, price and amount on the
     * right. */
    y = 211.5;
    CHECK(text_at(doc, "Description", 22, y, 0, bold_font, 10));
    CHECK(text_at(doc, "Qty", 128, y, 1, bold_font, 10));
    CHECK(text_at(doc, "Price", 158, y, 1, bold_font, 10));
    CHECK(text_at(doc, "Amount", 188, y, 1, bold_font, 10));
    for (i = 0; i < sizeof items / sizeof items[0]; ++i) {
        const double amount = items[i].quantity * items[i].price;
        total += amount;
        y -= 8;
        CHECK(text_at(doc, items[i].text, 22, y, 0, text_font, 10));
        snprintf(line, sizeof line, "%d", items[i].quantity);
        CHECK(text_at(doc, line, 128, y, 1, text_font, 10));
        snprintf(line, sizeof line, "%.2f", items[i].price);
        CHECK(text_at(doc, line, 158, y, 1, text_font, 10));
        snprintf(line, sizeof line, "%.2f", amount);
        CHECK(text_at(doc, line, 188, y, 1, text_font, 10));
    }
    snprintf(line, sizeof line, "Total EUR %.2f", total);
    CHECK(text_at(doc, line, 188, y - 10, 1, bold_font, 12));

    CHECK(vm_SaveToFile(doc, out));
    vm_destroy(doc);
    return EXIT_SUCCESS;
}
