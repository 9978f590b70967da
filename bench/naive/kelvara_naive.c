/* kelvara-naive: the plainest C program that writes the same results file as
 * `kelvara-cli run FILE --output OUT` in the default mode (2-axis rotation,
 * the built-in range limits, no second file). It reads a line with fgets,
 * converts its fields with atof and atoi and runs the block arithmetic in
 * the most direct loops: the yardstick that scripts/bench.sh measures
 * kelvara-cli against. Well-formed raw files only; a malformed line is read
 * as best it can be, not as kelvara-cli reads it.
 *
 *   kelvara-naive RAW_FILE RESULTS_FILE
 */

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define VARIABLES 7
#define CAPACITY 18000
#define MINIMUM_SAMPLES 5
#define U 0
#define V 1
#define W 2
#define CO2 3
#define H2O 4
#define TS 5
#define P 6

static const float range_min[VARIABLES] = {-50.0f, -50.0f, -50.0f, 0.0f, -20.0f, -50.0f, 30.0f};
static const float range_max[VARIABLES] = {50.0f, 50.0f, 50.0f, 1500.0f, 100.0f, 50.0f, 150.0f};

struct record {
    char date[12];
    int hour, minute;
    float value[VARIABLES];
    int status;
};

struct block {
    int n;
    float x[VARIABLES][CAPACITY];
    float tc[CAPACITY];
    short flag[VARIABLES][CAPACITY];
    float mean[VARIABLES];
    float mean_tc;
    float n_a, chi_v, rho_d, rho;
};

static struct block b;

/* One record line into r: the field texts as far as their delimiters. */
static int read_record(FILE* in, struct record* r) {
    char line[256];
    char* p;
    char* blank;
    int v;
    if (fgets(line, sizeof line, in) == NULL) return 0;
    blank = strchr(line + 1, ' ');
    if (blank == NULL) return 0;
    size_t length = (size_t)(blank - (line + 1));
    if (length > 11) length = 11;
    memcpy(r->date, line + 1, length);
    r->date[length] = '\0';
    r->hour = atoi(blank + 1);
    p = strchr(blank + 1, ':');
    if (p == NULL) return 0;
    r->minute = atoi(p + 1);
    p = strchr(p, ',');
    for (v = 0; v < VARIABLES; ++v) {
        if (p == NULL) return 0;
        r->value[v] = (float)atof(p + 1);
        p = strchr(p + 1, ',');
    }
    if (p == NULL) return 0;
    r->status = atoi(p + 1);
    return 1;
}

static int half_hour(int minute) {
    if (minute >= 0 && minute <= 29) return 0;
    if (minute >= 30 && minute <= 59) return 30;
    return minute;
}

static int in_range(float x, int v) { return range_min[v] < x && x < range_max[v]; }

static int is_good(int i) {
    int v;
    for (v = 0; v < VARIABLES; ++v)
        if (b.flag[v][i] == 0) return 0;
    return 1;
}

static int despike(void) {
    int v, i;
    for (v = 0; v < VARIABLES; ++v) {
        float sum = 0.0f, squares = 0.0f, m1, th, m2;
        int count = 0;
        double lower, upper;
        for (i = 0; i < b.n; ++i) {
            if (in_range(b.x[v][i], v)) {
                sum = (float)((double)sum + (double)b.x[v][i]);
                ++count;
            }
        }
        if (count == 0) return 0;
        m1 = (float)((double)sum / count);
        for (i = 0; i < b.n; ++i) {
            if (in_range(b.x[v][i], v)) {
                double d = (double)b.x[v][i] - (double)m1;
                squares = (float)((double)squares + d * d);
            }
        }
        th = (float)(6.0 * sqrt((double)squares / count));
        lower = (double)m1 - (double)th;
        upper = (double)m1 + (double)th;
        sum = 0.0f;
        count = 0;
        for (i = 0; i < b.n; ++i) {
            double x = b.x[v][i];
            b.flag[v][i] = (lower <= x && x <= upper) ? 1 : 0;
            if (b.flag[v][i]) {
                sum = (float)((double)sum + x);
                ++count;
            }
        }
        m2 = (float)((double)sum / count);
        lower = (double)m2 - (double)th;
        upper = (double)m2 + (double)th;
        for (i = 0; i < b.n; ++i) {
            double x = b.x[v][i];
            if (x > upper || x < lower) b.x[v][i] = m2;
        }
    }
    return 1;
}

static void air_properties(void) {
    float s_na = 0.0f, s_chi = 0.0f, s_rhod = 0.0f, s_rho = 0.0f;
    int i, good = 0;
    for (i = 0; i < b.n; ++i) {
        double ts, h2o, p, vapour;
        float tk, a, n_a, r, tc, chi_v, e, rho_d, rho;
        if (!is_good(i)) continue;
        ts = b.x[TS][i];
        h2o = b.x[H2O][i];
        p = b.x[P][i];
        tk = (float)(ts + 273.16);
        a = (float)(h2o / 0.018);
        n_a = (float)(p / ((double)tk * 0.0083143));
        s_na = (float)((double)s_na + (double)n_a);
        vapour = (double)a / 1000.0;
        r = (float)(vapour / ((double)n_a - vapour));
        tc = (float)((double)tk / ((double)r * 0.32 + 1.0));
        b.tc[i] = tc;
        chi_v = (float)((double)tc * 0.0083143 * h2o / (p * 18.0));
        s_chi = (float)((double)s_chi + (double)chi_v);
        e = (float)(h2o * 0.0083143 * (double)tk / 18.0);
        rho_d = (float)((p - (double)e) / ((double)tk * 0.28704));
        s_rhod = (float)((double)s_rhod + (double)rho_d);
        rho = (float)((double)rho_d + h2o / 1000.0);
        s_rho = (float)((double)s_rho + (double)rho);
        ++good;
    }
    b.n_a = (float)((double)s_na / good);
    b.chi_v = (float)((double)s_chi / good);
    b.rho_d = (float)((double)s_rhod / good);
    b.rho = (float)((double)s_rho / good);
}

static void means(void) {
    float sum[VARIABLES] = {0};
    float sum_tc = 0.0f;
    int i, v, good = 0;
    for (i = 0; i < b.n; ++i) {
        if (!is_good(i)) continue;
        for (v = 0; v < VARIABLES; ++v) sum[v] = (float)((double)sum[v] + (double)b.x[v][i]);
        sum_tc = (float)((double)sum_tc + (double)b.tc[i]);
        ++good;
    }
    for (v = 0; v < VARIABLES; ++v) b.mean[v] = (float)((double)sum[v] / good);
    b.mean_tc = (float)((double)sum_tc / good);
}

static float angle(double numerator, double denominator) {
    if (numerator == 0.0 && denominator == 0.0) return 0.0f;
    return (float)atan(numerator / denominator);
}

static void rotate_two_axis(void) {
    double mu = b.mean[U], mv = b.mean[V], mw = b.mean[W];
    float h = (float)sqrt(mu * mu + mv * mv);
    float theta = angle(mw, h);
    float eta = angle(mv, mu);
    double ct = cos((double)theta), st = sin((double)theta);
    double ce = cos((double)eta), se = sin((double)eta);
    int i;
    for (i = 0; i < b.n; ++i) {
        double u = b.x[U][i], v = b.x[V][i], w = b.x[W][i];
        b.x[U][i] = (float)(u * ct * ce + v * ct * se + w * st);
        b.x[V][i] = (float)(v * ce - u * se);
        b.x[W][i] = (float)(w * ct - u * st * ce - v * st * se);
    }
}

static void write_value(FILE* out, float value) { fprintf(out, ",%g", (double)value); }

static void write_fluxes(FILE* out) {
    double mu = b.mean[U], mv = b.mean[V], mw = b.mean[W];
    double mco2 = b.mean[CO2], mh2o = b.mean[H2O], mtc = b.mean_tc;
    float vw = 0.0f, wtc = 0.0f, uw = 0.0f, wco2 = 0.0f, wh2o = 0.0f;
    float ustar, tau, hs, latent, le, wple, wplh, fc;
    double s, rho = b.rho, cp = 1004.67f;
    int i, good = 0;
    for (i = 0; i < b.n; ++i) {
        double du, dv, dw, dco2, dh2o, dtc;
        if (!is_good(i)) continue;
        du = b.x[U][i] - mu;
        dv = b.x[V][i] - mv;
        dw = b.x[W][i] - mw;
        dco2 = b.x[CO2][i] - mco2;
        dh2o = b.x[H2O][i] - mh2o;
        dtc = b.tc[i] - mtc;
        vw = (float)((double)vw + dv * dw);
        wtc = (float)((double)wtc + dw * dtc);
        uw = (float)((double)uw + du * dw);
        wco2 = (float)((double)wco2 + dw * dco2);
        wh2o = (float)((double)wh2o + dw * dh2o);
        ++good;
    }
    vw = (float)((double)vw / good);
    wtc = (float)((double)wtc / good);
    uw = (float)((double)uw / good);
    wco2 = (float)((double)wco2 / good);
    wh2o = (float)((double)wh2o / good);

    s = sqrt((double)uw * uw + (double)vw * vw);
    ustar = (float)sqrt(s);
    tau = (float)((double)(float)s * rho);
    latent = (float)((double)wh2o * (double)2440.0f);
    hs = (float)((double)wtc * rho * cp);
    le = (float)(((double)1.0f + (double)b.chi_v) * ((double)wtc * mh2o / mtc + (double)latent));
    wple = (float)((double)le * mco2 / ((double)b.n_a * mtc * cp) * (double)1000.0f / (double)44.0f);
    wplh = (float)((double)hs * mco2 / (cp * (double)b.rho_d * mtc) * (double)1000.0f / (double)44.0f);
    fc = (float)((double)wco2 * 1000.0 / 44.0 + (double)wple + (double)wplh);

    write_value(out, ustar);
    write_value(out, tau);
    write_value(out, b.mean[CO2]);
    write_value(out, b.mean[H2O]);
    write_value(out, b.mean[P]);
    write_value(out, b.mean[TS]);
    write_value(out, (float)(mtc - 273.16));
    write_value(out, b.mean[U]);
    write_value(out, b.mean[V]);
    write_value(out, b.mean[W]);
    write_value(out, hs);
    write_value(out, wple);
    write_value(out, wplh);
    write_value(out, le);
    write_value(out, fc);
    fprintf(out, ",%d\r\n", good);
}

/* Despike, then the good records' count decides: none left rejects. */
static int screen(void) {
    int i, good = 0;
    if (!despike()) return 0;
    for (i = 0; i < b.n; ++i) good += is_good(i);
    return good > 0;
}

int main(int argc, char** argv) {
    FILE* in;
    FILE* out;
    char header[256];
    struct record r;
    int carry = 0, ended = 0, line;
    if (argc != 3) {
        fprintf(stderr, "usage: %s RAW_FILE RESULTS_FILE\n", argv[0]);
        return 2;
    }
    in = fopen(argv[1], "rb");
    if (in == NULL) {
        perror(argv[1]);
        return 1;
    }
    out = fopen(argv[2], "wb");
    if (out == NULL) {
        perror(argv[2]);
        return 1;
    }
    fputs(
        "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,"
        "LE_leuning,Fc_leuning,Records\r\n",
        out);
    for (line = 0; line < 4; ++line) {
        if (fgets(header, sizeof header, in) == NULL) break;
    }
    while (!ended) {
        char date[12];
        int hour, minute, label_hour, label_minute, pass;
        /* A block opens with a carried record, or with the next one. */
        if (!carry) {
            if (!read_record(in, &r)) break;
            carry = 1;
        }
        hour = r.hour;
        minute = half_hour(r.minute);
        strcpy(date, r.date);
        b.n = 0;
        for (pass = 0; pass < CAPACITY; ++pass) {
            if (!carry && !read_record(in, &r)) {
                ended = 1;
                break;
            }
            carry = 0;
            if (r.status < 0 || r.status > 13) continue;
            if (r.hour != hour || half_hour(r.minute) != minute) {
                carry = 1;
                break;
            }
            for (line = 0; line < VARIABLES; ++line) b.x[line][b.n] = r.value[line];
            ++b.n;
        }
        if (b.n < MINIMUM_SAMPLES) continue;
        label_minute = minute + 30;
        label_hour = hour;
        if (label_minute == 60) {
            label_minute = 0;
            label_hour += 1;
        }
        if (label_hour > 23) label_hour -= 24;
        fprintf(out, "%s %d:%d", date, label_hour, label_minute);
        if (!screen()) {
            fputs(",,,,,,,,,,,,,,,,\r\n", out);
            continue;
        }
        air_properties();
        means();
        rotate_two_axis();
        means();
        write_fluxes(out);
    }
    fclose(in);
    return fclose(out) == 0 ? 0 : 1;
}
